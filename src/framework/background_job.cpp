#include "framework/background_job.h"

#include "framework/thread_stack.h"
#include "framework/ui_thread.h"

#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>

namespace {

// How long a job's owner waits for a cancelled worker when it goes away.
constexpr int stopWaitMs = 5000;

// Waits up to `timeoutMs` for `event`, meanwhile dispatching the thread's
// messages (`allMessages`) or only handling those sent by other threads. A
// WM_QUIT is kept for the caller's own loop. True when the event was set.
bool WaitHandlingMessages(HANDLE event, int timeoutMs, bool allMessages) {
    ULONGLONG end = GetTickCount64() + (timeoutMs > 0 ? timeoutMs : 0);
    bool quit = false;
    WPARAM quitCode = 0;
    bool signalled = false;
    for (;;) {
        ULONGLONG now = GetTickCount64();
        if (now >= end) {
            signalled = WaitForSingleObject(event, 0) == WAIT_OBJECT_0;
            break;
        }
        DWORD mask = allMessages && !quit ? QS_ALLINPUT : QS_SENDMESSAGE;
        DWORD result =
            MsgWaitForMultipleObjectsEx(1, &event, static_cast<DWORD>(end - now), mask, MWMO_INPUTAVAILABLE);
        if (result == WAIT_OBJECT_0) {
            signalled = true;
            break;
        }
        if (result != WAIT_OBJECT_0 + 1)
            continue; // the time is up: looked at once more above
        MSG message;
        if (mask == QS_SENDMESSAGE) {
            // Runs the sent messages only; posted ones stay queued.
            PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
            continue;
        }
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                quit = true;
                quitCode = message.wParam;
                break;
            }
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    if (quit)
        PostQuitMessage(static_cast<int>(quitCode));
    return signalled;
}

} // namespace

// What the owner and its worker share. It lives as long as either holds it,
// so a worker let go by its owner still finds it.
class CJobState {
  public:
    CJobState() : ended(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
    ~CJobState() {
        if (ended)
            CloseHandle(ended);
    }
    CJobState(const CJobState&) = delete;
    CJobState& operator=(const CJobState&) = delete;

    std::atomic<int> running{1};
    std::mutex mutex;
    std::condition_variable cancelled;
    // Set by the worker when the work has returned.
    HANDLE ended;

    // User-interface thread only: the job this is the state of, while it is
    // current, and whether one of its reports is running there now.
    CBackgroundJob* owner = nullptr;
    bool reporting = false;
};

bool CJobControl::IsCancelled() const {
    return state.running == 0;
}

bool CJobControl::WaitForCancel(int milliseconds) const {
    std::unique_lock<std::mutex> lock(state.mutex);
    return state.cancelled.wait_for(lock, std::chrono::milliseconds(milliseconds),
                                    [this] { return state.running == 0; });
}

void CJobControl::Report(const std::function<void()>& onUi) const {
    if (IsCancelled())
        return;
    CUiThread::Run([&] {
        // Cancel runs on this thread too, so this look cannot miss one.
        if (state.running == 0)
            return;
        state.reporting = true;
        onUi();
        state.reporting = false;
    });
}

const std::atomic<int>* CJobControl::RunningFlag() const {
    return &state.running;
}

std::atomic<int> CBackgroundJob::liveWorkers{0};

CBackgroundJob::~CBackgroundJob() {
    Cancel();
    if (!state)
        return;
    // From inside one of its own reports the worker cannot go on until this
    // returns; it sees the cancel right after.
    if (!state->reporting && waitAfterCancel)
        WaitHandlingMessages(state->ended, stopWaitMs, false);
    Release();
}

bool CBackgroundJob::Start(std::function<void(CJobControl&)> work, std::function<void()> onDone) {
    if (state)
        return false;
    auto job = std::make_shared<CJobState>();
    if (!job->ended)
        return false;
    ++liveWorkers;
    try {
        worker = std::thread([job, work = std::move(work)]() mutable {
            CJobControl control(*job);
            try {
                work(control);
            } catch (...) {
                // The work reports its own failures; nothing may end the program here.
            }
            work = nullptr; // its captures go before the owner hears of the end
            DiscardUnusedStack();
            SetEvent(job->ended);
            CUiThread::Post([job] {
                if (job->owner)
                    job->owner->Finish();
            });
            --liveWorkers;
        });
    } catch (const std::system_error&) {
        --liveWorkers;
        return false;
    }
    job->owner = this;
    state = std::move(job);
    done = std::move(onDone);
    return true;
}

void CBackgroundJob::Cancel() {
    if (!state)
        return;
    {
        std::lock_guard<std::mutex> lock(state->mutex);
        state->running = 0;
    }
    state->cancelled.notify_all();
    done = nullptr;
    if (WaitForSingleObject(state->ended, 0) == WAIT_OBJECT_0)
        Release();
}

bool CBackgroundJob::Wait(int timeoutMs) {
    if (!state)
        return true;
    std::shared_ptr<CJobState> job = state; // `done` may end the job meanwhile
    bool ended = WaitHandlingMessages(job->ended, timeoutMs, true);
    if (ended && state == job)
        Finish();
    return ended;
}

void CBackgroundJob::Finish() {
    bool cancelled = state->running == 0;
    std::function<void()> finished = std::move(done);
    Release();
    // Last, so that `done` may start the next job or delete this one.
    if (!cancelled && finished)
        finished();
}

void CBackgroundJob::Release() {
    if (!state)
        return;
    state->owner = nullptr;
    if (WaitForSingleObject(state->ended, 0) == WAIT_OBJECT_0)
        worker.join();
    else
        worker.detach();
    state.reset();
    done = nullptr;
}
