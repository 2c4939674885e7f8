#include "framework/background_job.h"
#include "window_test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <vector>

TEST(BackgroundJob, ReportsRunInOrderOnTheUserInterfaceThreadAndDoneComesLast) {
    CBackgroundJob job;
    const DWORD uiThread = GetCurrentThreadId();
    std::vector<int> order;
    std::vector<DWORD> ranOn;
    auto note = [&](int step) {
        order.push_back(step);
        ranOn.push_back(GetCurrentThreadId());
    };
    ASSERT_TRUE(job.Start(
        [&](CJobControl& control) {
            for (int step = 0; step < 3; ++step)
                control.Report([&, step] { note(step); });
        },
        [&] { note(9); }));
    EXPECT_FALSE(job.Start([](CJobControl&) {}, [] {})) << "one job at a time";
    ASSERT_TRUE(PumpMessagesUntil([&] { return !job.IsRunning(); }));
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 9}));
    for (DWORD thread : ranOn)
        EXPECT_EQ(thread, uiThread);

    // Once done has run the job takes the next one; Wait delivers its done.
    bool secondDone = false;
    ASSERT_TRUE(job.Start([](CJobControl&) {}, [&] { secondDone = true; }));
    EXPECT_TRUE(job.Wait(5000));
    EXPECT_TRUE(secondDone);
    EXPECT_FALSE(job.IsRunning());
}

TEST(BackgroundJob, CancelWakesAWaitingWorkAndDropsItsReportsAndDone) {
    CBackgroundJob job;
    std::atomic<int> flagBefore{-1}, flagAfter{-1};
    std::atomic<bool> woke{false};
    bool reported = false, doneRan = false;
    ASSERT_TRUE(job.Start(
        [&](CJobControl& control) {
            flagBefore = control.RunningFlag()->load();
            woke = control.WaitForCancel(60000);
            flagAfter = control.RunningFlag()->load();
            control.Report([&] { reported = true; });
        },
        [&] { doneRan = true; }));
    ASSERT_TRUE(PumpMessagesUntil([&] { return flagBefore != -1; }));
    job.Cancel();
    EXPECT_TRUE(job.Wait(5000)); // well before the minute the work would sleep
    PumpMessages();
    EXPECT_TRUE(woke);
    EXPECT_EQ(flagBefore, 1);
    EXPECT_EQ(flagAfter, 0);
    EXPECT_FALSE(reported);
    EXPECT_FALSE(doneRan);
    EXPECT_FALSE(job.IsRunning());
}

TEST(BackgroundJob, AnOwnerGoingAwayStopsTheWorkerWithoutReachingIt) {
    // The work reports until cancelled; the owner goes while a report is
    // queued for the user-interface thread, or from inside a report.
    for (bool fromInsideReport : {false, true}) {
        SCOPED_TRACE(fromInsideReport ? "from inside a report" : "with a report queued");
        auto job = std::make_unique<CBackgroundJob>();
        auto workReturned = std::make_shared<std::atomic<bool>>(false);
        int reports = 0, reportsAtReset = -1;
        bool doneRan = false;
        ASSERT_TRUE(job->Start(
            [&, workReturned](CJobControl& control) {
                while (!control.IsCancelled())
                    control.Report([&] {
                        if (++reports == 2 && fromInsideReport) {
                            job.reset();
                            reportsAtReset = reports;
                        }
                    });
                *workReturned = true;
            },
            [&] { doneRan = true; }));
        ASSERT_TRUE(PumpMessagesUntil([&] { return reports >= 2; }));
        if (!fromInsideReport) {
            // Without handling messages, until the worker waits in its next report.
            for (int slice = 0; slice < 5000 && !(HIWORD(GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE);
                 ++slice)
                Sleep(1);
            reportsAtReset = reports;
            job.reset();
            EXPECT_TRUE(workReturned->load()) << "the owner waited for the worker";
        }
        EXPECT_TRUE(PumpMessagesUntil([&] { return workReturned->load(); }));
        PumpMessagesUntil([] { return false; }, 100);
        EXPECT_EQ(reports, reportsAtReset);
        EXPECT_FALSE(doneRan);
    }
}

TEST(BackgroundJob, AWorkerLetGoCountsAsAliveUntilItEnds) {
    // Stuck where no cancel reaches, as in a slow name lookup.
    HANDLE lookupAnswers = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ULONGLONG start = GetTickCount64();
    {
        CBackgroundJob job;
        job.LetGoOnCancel();
        ASSERT_TRUE(job.Start([lookupAnswers](CJobControl&) { WaitForSingleObject(lookupAnswers, INFINITE); },
                              nullptr));
    }
    EXPECT_LT(GetTickCount64() - start, 1000u) << "the owner waited for a worker it may let go";
    EXPECT_TRUE(CBackgroundJob::AnyWorkerAlive());
    SetEvent(lookupAnswers);
    EXPECT_TRUE(PumpMessagesUntil([] { return !CBackgroundJob::AnyWorkerAlive(); }));
    CloseHandle(lookupAnswers);
}
