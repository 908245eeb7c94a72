#pragma once
// GFileDialog: one kind of file the program asks for, with its folder, its chosen names and its
// filter kept between uses. The program defines the global objects and owns them; registered on
// the path chain with a kind mask, an object moves its folder to announced paths of those kinds.
// runFileDialog shows one in one of five modes through the system's open and save dialogs.
#include <windows.h>
#include <commdlg.h>

#include "core/arrays.h"
#include "gui/dialogs/path_notice.h"

class GWindow;

static_assert(sizeof(OPENFILENAMEA) == sizeof(OPENFILENAMEW), "one layout for both forms");
static_assert(sizeof(void*) != 4 || sizeof(OPENFILENAMEW) == 88, "the 32-bit block is 88 bytes");

enum : u32 { FileNameChars = 260, MultiNameChars = 65534 };
// The control id of GFileDialog's check box (outside the system dialog's own 0x400-0x4FF).
enum : int { FileDialogCheckId = 0x5A0 };

class GFileDialog : public GPathListener {
public:
    // filterText: the text slot of the filter (descriptions and pattern lists separated by "|");
    // null: the default filter. defaultExtension without a dot; initialFolder may hold macros.
    GFileDialog(char** filterText, const char* defaultExtension, const char* initialFolder);
    ~GFileDialog() override;

    // Absolute and normalised; null: the current directory.
    void setFolder(const char* path);
    // A list of names separated by ";" (or one folder, or one path) into the large buffer.
    void setFileNames(const char* text);
    // Folder and name from one path; an existing folder gives no name.
    void setPath(const char* path);
    // One name: the buffer's text; several: folder, "\" and the names joined by ";".
    void getFileNames(GString& out) const;
    // The first filter with a pattern "*", "*.*" or "*.<extension of name>".
    void selectFilterFor(const char* name);
    // A buffer of max(size, 261) bytes; copies size bytes of text when given.
    void setNameBuffer(u32 size, const char* text);
    // Empty 260-character buffer, zeroed block; the folder is kept.
    void clear();
    // Gives the chosen name the extension of the selected filter when it matches none of its patterns.
    void applyFilterExtension();
    // The chosen name (single) or the i-th name with the folder.
    void chosenPath(u32 i, GString& out) const;
    u32 chosenCount() const { return nameOffsets.count; }

    // Moves the folder to announced paths whose kind shares a bit with the mask.
    bool onEvent(void* event) override;

    // The filter text of this run with its separators turned into zeros (ends with two zeros).
    void filterPairs(GString& out) const;
    // The pattern list of the selected filter (1-based index), empty when none.
    void selectedPatterns(GString& out) const;

    OPENFILENAMEA ofn;
    GString folderText;
    char* nameBuffer = nullptr;
    char** filterText;
    U32Array nameOffsets;
    // Saving over a file: 0 the system asks, 1 a question box asks instead, 2 nobody asks.
    u32 noOverwritePrompt = 0;
    // A check box below the dialog's fields, shown with the value and written back when the dialog
    // ends with OK; none while either is null. Not in the folder modes.
    const char* checkText = nullptr;
    u8* checkValue = nullptr;
    GString defaultExtension;

    // Replaces the name offsets.
    void setOffsets(const u32* values, u32 count);
    // Points the block at the object's own texts again.
    void pointBlock();
};

// Clears every dialog of a null-ended list (folders kept).
void resetFileDialogs(GFileDialog* const* dialogs);

// Modes of runFileDialog.
enum : i32 { FileOpenOne = 0, FileOpenMany = 1, FileSave = 2, FolderCreate = 3, FolderExisting = 4 };
// Shows the dialog; true when the user confirmed. From another thread the interface thread runs it
// and the caller waits. historyKind not 0: the chosen path is announced with that kind.
bool runFileDialog(GFileDialog* dialog, u32 historyKind, GWindow* owner, i32 mode);

// The system calls, replaceable by tests.
struct FileDialogSystem {
    BOOL(WINAPI* open)(OPENFILENAMEW*);
    BOOL(WINAPI* save)(OPENFILENAMEW*);
    DWORD(WINAPI* lastError)();
};
extern FileDialogSystem fileDialogSystem;
extern const FileDialogSystem fileDialogSystemDefaults;
// The text of a common-dialog error code.
const char* fileDialogErrorText(u32 code);
