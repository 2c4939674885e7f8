// Runs a window's slow work (a server conversation) on a worker thread, so the
// user interface never freezes. The work never touches windows: it hands what
// the user should see to the user-interface thread through Report, and `done`
// runs there when the work ends. Everything of CBackgroundJob runs on the
// user-interface thread; CJobControl is for the worker.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

class CJobState;

// What the work gets to learn about a cancel and to report its progress.
class CJobControl {
  public:
    explicit CJobControl(CJobState& state) : state(state) {}

    // True once Cancel was called or the owning job went away.
    bool IsCancelled() const;
    // Sleeps up to `milliseconds`, waking early on a cancel. True when cancelled.
    bool WaitForCancel(int milliseconds) const;
    // Runs `onUi` on the user-interface thread and returns when it has run, so
    // reports keep their order. Dropped after a cancel, also when it is
    // already waiting for its turn: `onUi` then never sees a gone owner.
    void Report(const std::function<void()>& onUi) const;
    // 1 while the job is not cancelled: a session's stop flag.
    const std::atomic<int>* RunningFlag() const;

  private:
    CJobState& state;
};

class CBackgroundJob {
  public:
    CBackgroundJob() = default;
    CBackgroundJob(const CBackgroundJob&) = delete;
    CBackgroundJob& operator=(const CBackgroundJob&) = delete;
    // Cancels a running job and waits a few seconds for its worker, handling
    // only the messages other threads send meanwhile (a pending Report), so no
    // window is re-entered while its owner is torn down. A worker that does not
    // stop by then is let go; it can no longer reach the owner.
    ~CBackgroundJob();

    // Starts `work` on a worker thread. `done` runs on the user-interface
    // thread after the work has returned (or thrown), unless the job was
    // cancelled. False, with nothing started, when a job is still running or
    // the thread cannot be created. `work` keeps what it uses by value (a
    // worker let go may outlive the owner) and looks at IsCancelled or the
    // running flag often enough to stop within a second or so.
    bool Start(std::function<void(CJobControl&)> work, std::function<void()> done);
    // Asks the work to stop; `done` will not run and later reports are dropped.
    void Cancel();
    // For work blocked in calls that nothing can break off: this going away
    // lets a cancelled worker go at once instead of waiting for it. The
    // worker still counts as alive until it ends.
    void LetGoOnCancel() { waitAfterCancel = false; }
    // From Start until `done` has run, or until a cancelled worker has ended.
    bool IsRunning() const { return state != nullptr; }
    // Waits up to `timeoutMs` while handling all messages of the thread (a
    // WM_QUIT seen meanwhile is posted again). True when no job is left
    // running; `done` of an uncancelled job has then run. Not for use inside
    // a Report or `done` of this job.
    bool Wait(int timeoutMs);

    // True while a worker of any job, also one let go, has not ended: the
    // program must not clean up under it.
    static bool AnyWorkerAlive() { return liveWorkers != 0; }

  private:
    // The worker has ended: joins it, and runs `done` unless cancelled.
    void Finish();
    // Forgets the current job; the worker is joined, or let go if still running.
    void Release();

    static std::atomic<int> liveWorkers;

    std::shared_ptr<CJobState> state;
    std::thread worker;
    std::function<void()> done;
    bool waitAfterCancel = true;
};
