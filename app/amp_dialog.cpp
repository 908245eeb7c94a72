#include "app/amp_dialog.h"

#include "app/value_dialog_body.h"

ValueField* buildDialogBody(AmpDialog* dialog, const char* title, const char* caption, const char* label,
                            LevelValue* record) {
    dialog->keepOnCancel = true;
    dialog->field = buildValueDialogBody(dialog, title, caption, record, dialog->limits, label);
    return dialog->field;
}
