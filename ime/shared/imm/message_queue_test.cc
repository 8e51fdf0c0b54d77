#include "ime/shared/imm/message_queue.h"

#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/imm/imm_test_helpers.h"

namespace ime_shared {
namespace imm {
namespace {

using testing_helpers::FakeImm;
using testing_helpers::Message;
using testing_helpers::TestMessageList;
using testing_helpers::TestQueue;
using testing_helpers::ToMessages;

// Five distinct messages, in the order they are pushed.
std::vector<Message> FiveMessages() {
  std::vector<Message> messages;
  for (UINT i = 0; i < 5; ++i) {
    messages.push_back({WM_IME_NOTIFY, 0x100 + i, static_cast<LPARAM>(i)});
  }
  return messages;
}

class MessageQueueTest : public ::testing::Test {
 protected:
  void SetUp() override { himc_ = imm_.NewContext(); }
  void TearDown() override {
    EXPECT_EQ(imm_.OutstandingLocks(), 0);
    EXPECT_TRUE(imm_.GuardsIntact());
  }

  void PushAll(TestQueue* queue, const std::vector<Message>& messages) {
    for (const Message& m : messages) {
      ASSERT_TRUE(queue->Push(m.message, m.wparam, m.lparam));
    }
  }
  std::vector<Message> MessageBuffer() {
    INPUTCONTEXT& imc = imm_.Imc(himc_);
    if (imc.hMsgBuf == nullptr) return {};
    return ToMessages(imm_.As<TRANSMSG>(imc.hMsgBuf), imc.dwNumMsgBuf);
  }

  FakeImm imm_;
  HIMC himc_ = nullptr;
};

TEST_F(MessageQueueTest, MessagesThatFitStayInTheSystemsList) {
  TestQueue queue(himc_);
  TestMessageList list(10);
  queue.Attach(list.get());
  const std::vector<Message> messages = FiveMessages();
  PushAll(&queue, messages);

  EXPECT_EQ(queue.Detach(), 5u);
  EXPECT_EQ(list.First(5), messages);
  EXPECT_EQ(imm_.Imc(himc_).hMsgBuf, nullptr) << "hMsgBuf not needed";
  EXPECT_EQ(imm_.Imc(himc_).dwNumMsgBuf, 0u);
  EXPECT_EQ(imm_.generate_calls, 0);
  EXPECT_FALSE(queue.IsAttached());
}

TEST_F(MessageQueueTest, OverflowPutsEveryMessageInHMsgBufInOrder) {
  const std::vector<Message> messages = FiveMessages();
  for (UINT capacity : {0u, 1u, 2u, 4u}) {
    SCOPED_TRACE(capacity);
    TestQueue queue(himc_);
    TestMessageList list(capacity);
    queue.Attach(list.get());
    PushAll(&queue, messages);

    // The total tells IMM32 to read all of them from hMsgBuf, which it
    // does only with dwNumMsgBuf set.
    EXPECT_EQ(queue.Detach(), 5u);
    EXPECT_EQ(imm_.Imc(himc_).dwNumMsgBuf, 5u);
    EXPECT_EQ(MessageBuffer(), messages);
    EXPECT_EQ(list.First(capacity),
              std::vector<Message>(messages.begin(), messages.begin() + capacity));
    EXPECT_TRUE(list.SpareIntact()) << "wrote beyond uMsgCount";
    EXPECT_EQ(queue.waiting(), 0u);
    EXPECT_EQ(imm_.generate_calls, 0) << "IMM32 sends them itself";
  }
}

TEST_F(MessageQueueTest, WithoutAListEverythingGoesThroughHMsgBuf) {
  TestQueue queue(himc_);
  queue.Attach(nullptr);
  const std::vector<Message> messages = FiveMessages();
  PushAll(&queue, messages);
  EXPECT_EQ(queue.Detach(), 5u);
  EXPECT_EQ(MessageBuffer(), messages);
}

TEST_F(MessageQueueTest, OverflowLostWhenHMsgBufCannotBeWritten) {
  const std::vector<Message> messages = FiveMessages();
  {
    TestQueue queue(himc_);
    TestMessageList list(2);
    queue.Attach(list.get());
    PushAll(&queue, messages);
    imm_.fail_create = true;
    EXPECT_EQ(queue.Detach(), 2u) << "only the list's messages are delivered";
    EXPECT_EQ(imm_.Imc(himc_).dwNumMsgBuf, 0u);
    EXPECT_EQ(queue.waiting(), 0u) << "not sent late, out of order";
    imm_.fail_create = false;
    EXPECT_FALSE(queue.Flush());
    EXPECT_EQ(imm_.generate_calls, 0);
  }
  {
    TestQueue queue(himc_);
    TestMessageList list(2);
    queue.Attach(list.get());
    PushAll(&queue, messages);
    imm_.unlockable_contexts.insert(himc_);
    EXPECT_EQ(queue.Detach(), 2u);
    imm_.unlockable_contexts.clear();
  }
}

TEST_F(MessageQueueTest, FlushOutsideAKeyGeneratesTheMessages) {
  TestQueue queue(himc_);
  EXPECT_FALSE(queue.Flush()) << "nothing waits";
  EXPECT_EQ(imm_.generate_calls, 0);

  // An older, smaller message buffer is resized (and may move).
  HIMCC old_buffer = imm_.MakeBlock(sizeof(TRANSMSG), 0);
  imm_.Imc(himc_).hMsgBuf = old_buffer;
  const std::vector<Message> messages = FiveMessages();
  PushAll(&queue, messages);
  EXPECT_TRUE(queue.Flush());
  EXPECT_EQ(imm_.generate_calls, 1);
  EXPECT_EQ(imm_.generated, messages);
  EXPECT_NE(imm_.Imc(himc_).hMsgBuf, old_buffer) << "the moved block is kept";
  EXPECT_EQ(imm_.SizeOf(imm_.Imc(himc_).hMsgBuf), 5 * sizeof(TRANSMSG));
  EXPECT_EQ(queue.waiting(), 0u);

  EXPECT_FALSE(queue.Flush());
  EXPECT_EQ(imm_.generate_calls, 1);
}

TEST_F(MessageQueueTest, FlushWaitsWhileAListIsAttached) {
  TestQueue queue(himc_);
  TestMessageList list(1);
  queue.Attach(list.get());
  const std::vector<Message> messages = FiveMessages();
  PushAll(&queue, messages);
  EXPECT_FALSE(queue.Flush());
  EXPECT_EQ(imm_.generate_calls, 0);
  EXPECT_EQ(queue.waiting(), 4u);
  EXPECT_EQ(queue.Detach(), 5u);
}

TEST_F(MessageQueueTest, MessagesQueuedWhileGeneratingFollowInOrder) {
  TestQueue queue(himc_);
  const std::vector<Message> messages = FiveMessages();
  // The application, handling the first messages, makes the input method
  // queue two more and flush again.
  int reentries = 0;
  imm_.on_generate = [&] {
    if (reentries++ > 0) return;
    queue.Push(WM_IME_NOTIFY, 0x200, 1);
    queue.Push(WM_IME_NOTIFY, 0x201, 2);
    EXPECT_FALSE(queue.Flush()) << "hMsgBuf is being read";
  };
  PushAll(&queue, std::vector<Message>(messages.begin(), messages.begin() + 3));
  EXPECT_TRUE(queue.Flush());

  std::vector<Message> expected(messages.begin(), messages.begin() + 3);
  expected.push_back({WM_IME_NOTIFY, 0x200, 1});
  expected.push_back({WM_IME_NOTIFY, 0x201, 2});
  EXPECT_EQ(imm_.generated, expected);
  EXPECT_EQ(imm_.generate_calls, 2);
  EXPECT_EQ(queue.waiting(), 0u);
}

}  // namespace
}  // namespace imm
}  // namespace ime_shared
