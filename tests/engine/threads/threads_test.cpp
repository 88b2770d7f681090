// The worker threads: pausing and stopping at safe points, the manager's
// states, the job queue between browse and search, and the status channel to
// the window.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "engine/threads/job_queue.h"
#include "engine/threads/status_events.h"
#include "engine/threads/status_server.h"
#include "engine/threads/suspd_safe_thread.h"
#include "engine/threads/thread_manager.h"

using namespace std::chrono_literals;
using zw::TZWThreadManager;

namespace {

// Waits (bounded) until the condition holds; returns whether it did.
template <class Pred>
bool Eventually(Pred pred) {
  for (auto end = std::chrono::steady_clock::now() + 10s; !pred(); std::this_thread::sleep_for(1ms))
    if (std::chrono::steady_clock::now() > end) return false;
  return true;
}

// Counts safe points until it is told to stop.
class CountingThread : public zw::TSuspdSafeThread {
 public:
  std::atomic<long> passes{0};
  std::atomic<bool> sawStop{false};

 protected:
  void Execute() override {
    for (; !CheckStop(); std::this_thread::sleep_for(100us)) ++passes;
    sawStop = true;
  }
};

TEST(SuspdSafeThread, StartsAtTheFirstResumeAndPausesAtSafePointsUntilEveryPauseIsTakenBack) {
  auto t = std::make_shared<CountingThread>();
  std::atomic<int> notified{0};
  std::atomic<bool> bodyDoneFirst{false};
  t->SetOnTerminate([&] {
    bodyDoneFirst = t->sawStop.load();
    ++notified;
  });
  EXPECT_TRUE(t->IsSuspended());
  std::this_thread::sleep_for(20ms);
  EXPECT_EQ(t->passes.load(), 0);  // created suspended
  t->SafeResume();
  ASSERT_TRUE(Eventually([&] { return t->passes.load() > 0; }));
  EXPECT_FALSE(t->IsSuspended());
  t->SafeSuspend();
  t->SafeSuspend();
  std::this_thread::sleep_for(20ms);  // let it reach its safe point
  const long frozen = t->passes.load();
  t->SafeResume();  // one of two pauses taken back: still paused
  std::this_thread::sleep_for(30ms);
  EXPECT_EQ(t->passes.load(), frozen);
  EXPECT_TRUE(t->IsSuspended());
  t->SafeResume();
  EXPECT_TRUE(Eventually([&] { return t->passes.load() > frozen; }));
  t->Cancel();
  t->WaitFor();
  EXPECT_TRUE(t->sawStop.load());
  EXPECT_EQ(notified.load(), 1);  // the end is told once, after the body
  EXPECT_TRUE(bodyDoneFirst.load());
}

TEST(SuspdSafeThread, AThreadWhoseOwnerLetGoStillFinishesAndFreesItself) {
  std::weak_ptr<CountingThread> weak;
  std::atomic<bool> ended{false};
  {
    auto t = std::make_shared<CountingThread>();
    weak = t;
    t->SetOnTerminate([&] { ended = true; });
    t->SafeResume();
    t->Cancel();
  }
  EXPECT_TRUE(Eventually([&] { return ended.load() && weak.expired(); }));
}

TEST(ThreadManager, StatesFollowTheirRulesAndCancelWakesAPausedThread) {
  TZWThreadManager m;
  m.Pause();  // nothing from none
  m.CancelThread();
  EXPECT_EQ(m.State(), TZWThreadManager::tsNone);
  auto t = std::make_shared<CountingThread>();
  m.Attach(t);
  EXPECT_EQ(m.State(), TZWThreadManager::tsPaused);
  m.Start();  // starts the thread that was never started
  EXPECT_EQ(m.State(), TZWThreadManager::tsRunning);
  ASSERT_TRUE(Eventually([&] { return t->passes.load() > 0; }));
  m.Pause();
  EXPECT_EQ(m.State(), TZWThreadManager::tsPaused);
  EXPECT_TRUE(t->IsSuspended());
  m.CancelThread();
  EXPECT_EQ(m.State(), TZWThreadManager::tsCanceling);
  EXPECT_TRUE(Eventually([&] { return t->Finished(); }));
  EXPECT_TRUE(t->sawStop.load());
  m.SetState(TZWThreadManager::tsFinished);
  m.CancelThread();  // nothing once finished
  m.Start();         // run only from paused
  EXPECT_EQ(m.State(), TZWThreadManager::tsFinished);
  m.Destroy();
  EXPECT_EQ(m.State(), TZWThreadManager::tsNone);
}

TEST(ThreadManager, DestroyStopsAThreadPausedSeveralTimesAndOneNeverStarted) {
  for (bool started : {true, false}) {
    TZWThreadManager m;
    auto t = std::make_shared<CountingThread>();
    m.Attach(t);
    if (started) {
      m.Start();
      ASSERT_TRUE(Eventually([&] { return t->passes.load() > 0; }));
      t->SafeSuspend();
      t->SafeSuspend();
    }
    m.Destroy();
    EXPECT_TRUE(t->Finished());
    EXPECT_EQ(t->passes.load() > 0, started);
  }
}

zw::TFileInfos* Entry(const std::string& name) {
  auto* e = new zw::TFileInfos;
  e->Name = name;
  return e;
}

std::vector<std::string> Names(zw::TFileInfos* list) {
  std::vector<std::string> names;
  for (zw::TFileInfos* e = list; e; e = e->Next) names.push_back(e->Name.str());
  zw::FreeFileInfosList(list);
  return names;
}

TEST(JobQueue, KeepsOrderWakesAWaitingConsumerAndAfterTheEndMarkerReturnsNullAtOnce) {
  zw::TJobQueue q;
  std::atomic<zw::TFileInfos*> got{nullptr};
  std::thread consumer([&] { got = q.Pop(); });
  std::this_thread::sleep_for(30ms);
  EXPECT_EQ(got.load(), nullptr);  // still waiting
  q.Push(Entry("a"));
  consumer.join();
  EXPECT_EQ(Names(got.load()), std::vector<std::string>{"a"});
  q.Push(Entry("0"));
  auto* a = Entry("1");
  a->Next = Entry("2");
  q.PushList(a, a->Next);
  q.PushList(nullptr, nullptr);  // nothing
  q.Push(nullptr);
  q.Push(Entry("3"));  // an entry after the marker is still delivered
  std::vector<std::string> names;
  while (zw::TFileInfos* e = q.Pop()) {
    EXPECT_EQ(e->Next, nullptr);
    names.push_back(Names(e)[0]);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"0", "1", "2", "3"}));
  EXPECT_EQ(q.Pop(), nullptr);
  EXPECT_EQ(q.PopAll(), nullptr);
  EXPECT_TRUE(q.Closed());
  zw::TJobQueue batch;  // a list wakes a consumer waiting for all
  std::thread all([&] { got = batch.PopAll(); });
  std::this_thread::sleep_for(20ms);
  auto* c = Entry("4");
  batch.PushList(c, c);
  all.join();
  EXPECT_EQ(Names(got.load()), std::vector<std::string>{"4"});
}

TEST(JobQueue, ProducerAndConsumerOnTwoThreadsLoseNothing) {
  zw::TJobQueue q;
  constexpr int kCount = 200000;
  std::thread producer([&] {
    for (int i = 0; i < kCount; ++i) {
      auto* e = Entry("");
      e->Size = static_cast<uint64_t>(i);
      q.Push(e);
    }
    q.Push(nullptr);
  });
  uint64_t expected = 0;
  bool inOrder = true;
  for (bool batch = false;; batch = !batch) {  // single and batch takes both keep the order
    zw::TFileInfos* list = batch ? q.PopAll() : q.Pop();
    if (!list) break;
    for (zw::TFileInfos* e = list; e; e = e->Next) inOrder = inOrder && e->Size == expected++;
    zw::FreeFileInfosList(list);
  }
  producer.join();
  EXPECT_TRUE(inOrder);
  EXPECT_EQ(expected, static_cast<uint64_t>(kCount));
}

TEST(StatusServer, PostedEventsArriveInOrderAndSentOnesWaitForTheWindow) {
  std::vector<zw::TStatusEvent> events;
  std::thread::id handledOn;
  zw::TEventQueue queue([&](zw::TStatusEvent& ev) {
    handledOn = std::this_thread::get_id();
    if (ev.kind == zw::TStatusMsg::DebugRecord) {
      ev.debug->position = 7;
      ev.debug->criteria = "a12";
    }
    events.push_back(ev);
  });
  zw::TZWStatusServer status(&queue);
  std::atomic<bool> workerDone{false};
  zw::TDebugRecord record;
  std::thread worker([&] {
    status.PostStatus(zw::strCreatingFileList);
    status.PostStatus(zw::strCreatingFileList, "/data/x/");
    status.PostTask(0x81);
    status.SetMaximum(42);  // waits until handled
    status.RequestDebugRecord(record);
    workerDone = true;
  });
  while (!workerDone.load()) queue.DispatchWait(5ms);
  worker.join();
  queue.DispatchPending();
  // The first text may have been replaced by the second before it was shown.
  if (events.size() == 5u) { EXPECT_EQ(events[0].path, nullptr); }
  if (events.size() == 5u) events.erase(events.begin());
  ASSERT_EQ(events.size(), 4u);
  EXPECT_EQ(handledOn, std::this_thread::get_id());
  EXPECT_EQ(events[0].kind, zw::TStatusMsg::StatusText);
  ASSERT_NE(events[0].path, nullptr);
  EXPECT_EQ(*events[0].path, "/data/x/");
  EXPECT_EQ(events[1].kind, zw::TStatusMsg::Task);
  EXPECT_EQ(events[1].value, 1);  // task number AND 0x7F
  EXPECT_EQ(events[2].kind, zw::TStatusMsg::ProgressMax);
  EXPECT_EQ(events[2].value, 42);
  EXPECT_EQ(record.position, 7);  // filled by the window before Send returned
  EXPECT_EQ(record.criteria, "a12");
  EXPECT_EQ(status.Maximum(), 42);
  status.Step();
  status.Step(99);  // the argument is ignored
  EXPECT_EQ(status.Position(), 2);
  status.SetMaximum(10);  // sent from the owning thread: handled at once, and the position is reset
  EXPECT_EQ(status.Position(), 0);
}

TEST(StatusServer, GoingQuietReplacesADetailedTextByThePlainCurrentOne) {
  std::vector<zw::TStatusEvent> events;
  zw::TEventQueue queue([&](zw::TStatusEvent& ev) { events.push_back(ev); });
  zw::TZWStatusServer status(&queue);
  status.SetCurrent(zw::strCreatingFileList);
  status.PostStatus(zw::strCreatingFileList, "/a/b/");
  status.SetQuiet(true);
  status.SetQuiet(true);   // no change, no message
  status.SetQuiet(false);  // going loud posts nothing
  queue.DispatchPending();
  ASSERT_EQ(events.size(), 1u);  // the detailed text was not shown yet
  EXPECT_EQ(events[0].value, zw::strCreatingFileList);
  EXPECT_EQ(events[0].path, nullptr);
  EXPECT_FALSE(status.Quiet());
}

TEST(StatusServer, AStatusTextNotYetShownGivesWayToTheNextButKeepsItsPlaceAmongOtherEvents) {
  std::vector<zw::TStatusEvent> events;
  zw::TEventQueue queue([&](zw::TStatusEvent& ev) { events.push_back(ev); });
  zw::TZWStatusServer status(&queue);
  status.PostStatus(zw::strCreatingFileList);
  status.PostStatus(zw::strPiM, "/a/1");
  status.PostStatus(zw::strCalcCRC32, "/a/1");
  status.PostTask(1);
  status.PostStatus(zw::strCalcCRC32, "/a/2");
  queue.DispatchPending();
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[0].value, zw::strCalcCRC32);
  EXPECT_EQ(*events[0].path, "/a/1");
  EXPECT_EQ(events[1].kind, zw::TStatusMsg::Task);
  EXPECT_EQ(*events[2].path, "/a/2");
}

TEST(EventQueue, CloseReleasesAWaitingSender) {
  zw::TEventQueue queue([](zw::TStatusEvent&) {});
  zw::TZWStatusServer status(&queue);
  std::atomic<bool> returned{false};
  std::thread worker([&] {
    status.SetMaximum(5);
    returned = true;
  });
  std::this_thread::sleep_for(20ms);
  EXPECT_FALSE(returned.load());
  queue.Close();
  worker.join();
  EXPECT_TRUE(returned.load());
}

}  // namespace
