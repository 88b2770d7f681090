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
bool Eventually(Pred pred, std::chrono::milliseconds limit = 10s) {
  auto end = std::chrono::steady_clock::now() + limit;
  while (!pred()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(1ms);
  }
  return true;
}

// Counts safe points until it is told to stop.
class CountingThread : public zw::TSuspdSafeThread {
 public:
  std::atomic<long> passes{0};
  std::atomic<bool> sawStop{false};
  std::atomic<bool> started{false};

 protected:
  void Execute() override {
    started = true;
    while (!CheckStop()) {
      ++passes;
      std::this_thread::sleep_for(100us);
    }
    sawStop = true;
  }
};

TEST(SuspdSafeThread, CreatedSuspendedStartsOnlyAtFirstResume) {
  auto t = std::make_shared<CountingThread>();
  EXPECT_TRUE(t->IsSuspended());
  std::this_thread::sleep_for(20ms);
  EXPECT_FALSE(t->started.load());
  t->SafeResume();
  EXPECT_TRUE(Eventually([&] { return t->passes.load() > 0; }));
  EXPECT_FALSE(t->IsSuspended());
  t->Cancel();
  t->WaitFor();
  EXPECT_TRUE(t->sawStop.load());
}

TEST(SuspdSafeThread, PauseHoldsTheThreadAtItsNextSafePointUntilEveryPauseIsTakenBack) {
  auto t = std::make_shared<CountingThread>();
  t->SafeResume();
  ASSERT_TRUE(Eventually([&] { return t->passes.load() > 0; }));
  t->SafeSuspend();
  t->SafeSuspend();
  std::this_thread::sleep_for(20ms);  // let it reach its safe point
  long frozen = t->passes.load();
  std::this_thread::sleep_for(30ms);
  EXPECT_EQ(t->passes.load(), frozen);
  t->SafeResume();  // one of two pauses taken back: still paused
  std::this_thread::sleep_for(30ms);
  EXPECT_EQ(t->passes.load(), frozen);
  EXPECT_TRUE(t->IsSuspended());
  t->SafeResume();
  EXPECT_TRUE(Eventually([&] { return t->passes.load() > frozen; }));
  t->Cancel();
  t->WaitFor();
}

TEST(SuspdSafeThread, EndNotificationRunsOnceAfterTheBody) {
  auto t = std::make_shared<CountingThread>();
  std::atomic<int> notified{0};
  std::atomic<bool> bodyDoneFirst{false};
  t->SetOnTerminate([&] {
    bodyDoneFirst = t->sawStop.load();
    ++notified;
  });
  t->SafeResume();
  t->Cancel();
  t->WaitFor();
  EXPECT_EQ(notified.load(), 1);
  EXPECT_TRUE(bodyDoneFirst.load());
}

TEST(SuspdSafeThread, ThreadWhoseOwnerLetGoStillFinishesAndFreesItself) {
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

TEST(ThreadManager, StartOnAttachedThreadThatWasNeverStartedStartsIt) {
  TZWThreadManager m;
  auto t = std::make_shared<CountingThread>();
  m.Attach(t);
  EXPECT_EQ(m.State(), TZWThreadManager::tsPaused);
  m.Start();
  EXPECT_EQ(m.State(), TZWThreadManager::tsRunning);
  EXPECT_TRUE(Eventually([&] { return t->passes.load() > 0; }));
  m.Destroy();
  EXPECT_TRUE(t->sawStop.load());
  EXPECT_EQ(m.State(), TZWThreadManager::tsNone);
}

TEST(ThreadManager, CancelWhilePausedWakesTheThreadWhichSeesTheStop) {
  TZWThreadManager m;
  auto t = std::make_shared<CountingThread>();
  m.Attach(t);
  m.Start();
  ASSERT_TRUE(Eventually([&] { return t->passes.load() > 0; }));
  m.Pause();
  EXPECT_EQ(m.State(), TZWThreadManager::tsPaused);
  EXPECT_TRUE(t->IsSuspended());
  m.CancelThread();
  EXPECT_EQ(m.State(), TZWThreadManager::tsCanceling);
  EXPECT_TRUE(Eventually([&] { return t->Finished(); }));
  EXPECT_TRUE(t->sawStop.load());
}

TEST(ThreadManager, StateTransitionsFollowTheirRules) {
  TZWThreadManager m;
  m.Pause();  // nothing from none
  EXPECT_EQ(m.State(), TZWThreadManager::tsNone);
  m.CancelThread();  // nothing from none
  EXPECT_EQ(m.State(), TZWThreadManager::tsNone);
  auto t = std::make_shared<CountingThread>();
  m.Attach(t);
  m.Pause();  // pause only from running
  EXPECT_EQ(m.State(), TZWThreadManager::tsPaused);
  m.Start();
  m.SetState(TZWThreadManager::tsFinished);
  m.CancelThread();  // nothing once finished
  EXPECT_EQ(m.State(), TZWThreadManager::tsFinished);
  m.Start();  // run only from paused
  EXPECT_EQ(m.State(), TZWThreadManager::tsFinished);
  m.Destroy();  // the thread was never told to stop by the manager: Destroy does
  EXPECT_TRUE(t->sawStop.load());
}

TEST(ThreadManager, DestroyStopsAThreadPausedSeveralTimesAndOneNeverStarted) {
  {
    TZWThreadManager m;
    auto t = std::make_shared<CountingThread>();
    m.Attach(t);
    m.Start();
    ASSERT_TRUE(Eventually([&] { return t->passes.load() > 0; }));
    t->SafeSuspend();
    t->SafeSuspend();
    m.Destroy();
    EXPECT_TRUE(t->Finished());
  }
  {
    TZWThreadManager m;
    auto t = std::make_shared<CountingThread>();
    m.Attach(t);
    m.Destroy();
    EXPECT_TRUE(t->Finished());
    EXPECT_EQ(t->passes.load(), 0);
  }
}

zw::TFileInfos* Entry(const std::string& name) {
  auto* e = new zw::TFileInfos;
  e->Name = name;
  return e;
}

TEST(JobQueue, PopOnEmptyOpenQueueBlocksUntilPush) {
  zw::TJobQueue q;
  std::atomic<zw::TFileInfos*> got{nullptr};
  std::atomic<bool> returned{false};
  std::thread consumer([&] {
    got = q.Pop();
    returned = true;
  });
  std::this_thread::sleep_for(30ms);
  EXPECT_FALSE(returned.load());
  q.Push(Entry("a"));
  consumer.join();
  ASSERT_NE(got.load(), nullptr);
  EXPECT_EQ(got.load()->Name, "a");
  zw::FreeFileInfos(got.load());
}

TEST(JobQueue, KeepsOrderAndAfterTheEndMarkerReturnsNullAtOnceRepeatedly) {
  zw::TJobQueue q;
  q.Push(Entry("1"));
  q.Push(Entry("2"));
  q.Push(nullptr);
  q.Push(Entry("3"));  // an entry after the marker is still delivered
  std::vector<std::string> names;
  while (zw::TFileInfos* e = q.Pop()) {
    EXPECT_EQ(e->Next, nullptr);
    names.push_back(e->Name);
    zw::FreeFileInfos(e);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"1", "2", "3"}));
  EXPECT_EQ(q.Pop(), nullptr);
  EXPECT_EQ(q.Pop(), nullptr);
  EXPECT_TRUE(q.Closed());
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
  bool batch = false;
  while (true) {
    // Alternate single and batch takes, both must keep the order.
    zw::TFileInfos* list = batch ? q.PopAll() : q.Pop();
    batch = !batch;
    if (!list) break;
    while (list) {
      zw::TFileInfos* next = list->Next;
      inOrder = inOrder && list->Size == expected;
      ++expected;
      zw::FreeFileInfos(list);
      list = next;
    }
  }
  producer.join();
  EXPECT_TRUE(inOrder);
  EXPECT_EQ(expected, static_cast<uint64_t>(kCount));
}

TEST(JobQueue, PushListAppendsAWholeListInOrderAndWakesAWaitingConsumer) {
  zw::TJobQueue q;
  q.Push(Entry("0"));
  auto* a = Entry("1");
  auto* b = Entry("2");
  a->Next = b;
  q.PushList(a, b);
  q.PushList(nullptr, nullptr);  // nothing
  std::vector<std::string> names;
  for (int i = 0; i < 3; ++i) {
    zw::TFileInfos* e = q.Pop();
    ASSERT_NE(e, nullptr);
    names.push_back(e->Name);
    zw::FreeFileInfos(e);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"0", "1", "2"}));
  std::atomic<zw::TFileInfos*> got{nullptr};
  std::thread consumer([&] { got = q.PopAll(); });
  std::this_thread::sleep_for(20ms);
  auto* c = Entry("3");
  q.PushList(c, c);
  consumer.join();
  ASSERT_NE(got.load(), nullptr);
  EXPECT_EQ(got.load()->Name, "3");
  zw::FreeFileInfosList(got.load());
}

struct Recorder {
  std::vector<zw::TStatusEvent> events;
  std::thread::id handledOn;
};

TEST(StatusServer, PostedEventsArriveInOrderAndSentOnesWaitForTheWindow) {
  Recorder rec;
  zw::TEventQueue queue([&](zw::TStatusEvent& ev) {
    rec.handledOn = std::this_thread::get_id();
    if (ev.kind == zw::TStatusMsg::DebugRecord) {
      ev.debug->position = 7;
      ev.debug->criteria = "a12";
    }
    rec.events.push_back(ev);
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
  ASSERT_EQ(rec.events.size(), 5u);
  EXPECT_EQ(rec.handledOn, std::this_thread::get_id());
  EXPECT_EQ(rec.events[0].kind, zw::TStatusMsg::StatusText);
  EXPECT_EQ(rec.events[0].path, nullptr);
  ASSERT_NE(rec.events[1].path, nullptr);
  EXPECT_EQ(*rec.events[1].path, "/data/x/");
  EXPECT_EQ(rec.events[2].kind, zw::TStatusMsg::Task);
  EXPECT_EQ(rec.events[2].value, 1);  // task number AND 0x7F
  EXPECT_EQ(rec.events[3].kind, zw::TStatusMsg::ProgressMax);
  EXPECT_EQ(rec.events[3].value, 42);
  EXPECT_EQ(record.position, 7);  // filled by the window before Send returned
  EXPECT_EQ(record.criteria, "a12");
  EXPECT_EQ(status.Maximum(), 42);
}

TEST(StatusServer, SetMaximumResetsPositionAndStepCounts) {
  zw::TEventQueue queue([](zw::TStatusEvent&) {});
  zw::TZWStatusServer status(&queue);
  status.Step();
  status.Step(99);  // the argument is ignored
  EXPECT_EQ(status.Position(), 2);
  status.SetMaximum(10);  // sent from the owning thread: handled at once
  EXPECT_EQ(status.Position(), 0);
}

TEST(StatusServer, GoingQuietReplacesADetailedTextByThePlainCurrentOne) {
  std::vector<zw::TStatusEvent> events;
  zw::TEventQueue queue([&](zw::TStatusEvent& ev) { events.push_back(ev); });
  zw::TZWStatusServer status(&queue);
  status.SetCurrent(zw::strCreatingFileList);
  status.PostStatus(zw::strCreatingFileList, "/a/b/");
  status.SetQuiet(true);
  status.SetQuiet(true);  // no change, no message
  status.SetQuiet(false);  // going loud posts nothing
  queue.DispatchPending();
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[1].value, zw::strCreatingFileList);
  EXPECT_EQ(events[1].path, nullptr);
  EXPECT_FALSE(status.Quiet());
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
