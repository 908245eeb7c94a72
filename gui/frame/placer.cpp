#include "gui/frame/placer.h"

#include "core/paths.h"
#include "core/task_queue.h"
#include "gui/kernel/window.h"
#include "gui/kernel/window_behaviour.h"

namespace {
GPlacer* placerHead = nullptr;
GPlacer* placerTail = nullptr;
i32 activationCounter = 0;
}  // namespace

// The worker of a background job: the perform step and its failure.
class PlacerWorker : public ThreadObject {
public:
    explicit PlacerWorker(GPlacer* placer) : placer(placer) {}
    void run() override;

    GPlacer* placer;
    ExceptionCarrier performFailure;
};

// Queued to the interface thread when the perform step has ended.
class PlacerCompletion : public QueuedTask {
public:
    explicit PlacerCompletion(GPlacer* placer) : placer(placer) {}
    void run() override { placer->completeBackgroundJob(); }

    GPlacer* placer;
};

void PlacerWorker::run() {
    PlacerJob* job = placer->job;
    bool ok = callGuarded(&performFailure, false, [&] { return placer->performJob(job); });
    job->result = ok ? 1 : 0;
    TaskQueue::enqueue(placer->pendingTasks, new PlacerCompletion(placer));
}

const char* defaultHelpPage = "index.htm";

GPlacer* firstPlacer() { return placerHead; }

GPlacer* findRecentPlacer(u32 kind) {
    GPlacer* best = nullptr;
    for (GPlacer* p = placerHead; p; p = p->nextPlacer)
        if (p->windowKind() == kind && !p->busy() && (!best || p->serial > best->serial)) best = p;
    return best;
}

GPlacer::GPlacer(GWindow* window, i32 widthPercent, i32 heightPercent)
    : GSizedBox(window, widthPercent, heightPercent), window(window) {
    previousPlacer = placerTail;
    if (placerTail) placerTail->nextPlacer = this;
    else placerHead = this;
    placerTail = this;
}

GPlacer::~GPlacer() {
    if (worker) {
        // The worker uses the placer and the job: it ends first, and its completion never runs.
        worker->waitDone();
        TaskQueue::clear(pendingTasks);
        delete worker;
        worker = nullptr;
        delete job;
        job = nullptr;
    }
    if (previousPlacer) previousPlacer->nextPlacer = nextPlacer;
    else placerHead = nextPlacer;
    if (nextPlacer) nextPlacer->previousPlacer = previousPlacer;
    else placerTail = previousPlacer;
    delete contentObject;
}

void GPlacer::markActivated() { serial = ++activationCounter; }

GString GPlacer::caption() {
    GString text = productName();
    const char* first = firstCaption();
    const char* second = secondCaption();
    if (first && !*first) first = nullptr;
    if (second && !*second) second = nullptr;
    if (first || second) {
        stringAppend(text, " - ");
        if (second) stringAppend(text, second);
        if (first && second) stringAppend(text, ": ");
        if (first) stringAppend(text, first);
    }
    if (isModified()) stringAppend(text, "*");
    return text;
}

GString GPlacer::fullText() {
    GString text;
    const char* first = firstCaption();
    const char* second = secondCaption();
    if (second && *second) stringAppend(text, second);
    if (first && *first) {
        if (!text.empty()) stringAppend(text, ": ");
        stringAppend(text, first);
    }
    return text;
}

GString GPlacer::shortText() {
    const char* first = firstCaption();
    if (!first || !*first) first = secondCaption();
    GString text;
    if (first) stringAppend(text, first);
    return text;
}

void GPlacer::updateTitle() {
    if (window && window->hwnd && (!container || visible())) window->setText(caption().c_str());
    GControlNotification n;
    n.source = this;
    n.code = 7;
    notifyUp(this, &n);
}

void GPlacer::saveState(GBag& bag) {
    GBag blocks[3];
    saveStateBlocks(blocks);
    for (GBag& block : blocks) bagWriteBlock(bag, block);
}

void GPlacer::relayoutWindow() {
    if (window) markOwnerDirty(window);
}

bool GPlacer::runJobNow(PlacerJob* current) {
    if (job) return false;
    job = current;
    current->placer = this;
    current->result = 0;
    if (current->sink) current->sink->start(current->a, current->b);
    placerFlags |= PlacerBusy;
    bool result = false;
    try {
        prepareJob(current);
        result = performJob(current);
    } catch (...) {
        placerFlags &= ~PlacerBusy;
        job = nullptr;
        // The sink ends on this path too (a progress line would stay up).
        if (current->sink) {
            try {
                current->sink->end();
            } catch (...) {
            }
        }
        throw;
    }
    current->result = result ? 1 : 0;
    placerFlags &= ~PlacerBusy;
    afterJob(current);
    job = nullptr;
    return result;
}

bool GPlacer::runJobInBackground(PlacerJob* current) {
    if (job) {
        delete current;
        return false;
    }
    job = current;
    current->placer = this;
    current->result = 0;
    if (current->sink) current->sink->start(current->a, current->b);
    relayoutWindow();
    placerFlags |= PlacerBusy;
    try {
        prepareJob(current);
    } catch (...) {
        // No worker was started: the job ends here as failed.
        placerFlags &= ~PlacerBusy;
        jobFinished();
        throw;
    }
    worker = new PlacerWorker(this);
    if (worker->start()) return true;
    // No thread: the job ends as failed.
    delete worker;
    worker = nullptr;
    TaskQueue::enqueue(pendingTasks, new PlacerCompletion(this));
    return false;
}

void GPlacer::completeBackgroundJob() {
    std::exception_ptr failure;
    if (worker) {
        worker->waitDone();
        failure = worker->performFailure.take();
        if (!failure) failure = worker->failure.take();
        delete worker;
        worker = nullptr;
    }
    placerFlags &= ~PlacerBusy;
    try {
        afterJob(job);
    } catch (...) {
        jobFinished();
        throw;
    }
    jobFinished();
    // A perform step that threw is reported by the run, on this thread.
    if (failure) std::rethrow_exception(failure);
}

void GPlacer::jobFinished() {
    PlacerJob* done = job;
    try {
        if (done->sink) done->sink->end();
        if (done->result) jobSucceeded(done);
        else jobFailed(done);
    } catch (...) {
    }
    delete done;
    job = nullptr;
    relayoutWindow();
}
