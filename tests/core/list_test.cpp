#include "core/list.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<ListKey> Keys(const List* list) {
  std::vector<ListKey> keys;
  for (const ListNode* n = list->head; n; n = n->next) keys.push_back(n->key);
  // The backward links must tell the same story.
  std::vector<ListKey> back;
  for (const ListNode* n = list->tail; n; n = n->previous) back.insert(back.begin(), n->key);
  EXPECT_EQ(keys, back);
  EXPECT_EQ(static_cast<size_t>(list->count), keys.size());
  return keys;
}

struct ListFixture : ::testing::Test {
  List* list = ListNew(nullptr);
  ListNode* Add(ListKey key) { return ListInsert(list, nullptr, key, nullptr, kListInsertEnd); }
  ~ListFixture() override { ListDelete(list); }
};

TEST_F(ListFixture, InsertModesRelativeToReference) {
  ListNode* one = Add(1);
  ListNode* three = Add(3);
  ListInsert(list, three, 2, nullptr, kListInsertBefore);
  ListInsert(list, one, 9, nullptr, kListInsertAfter);
  EXPECT_EQ(Keys(list), (std::vector<ListKey>{1, 9, 2, 3}));
  ListInsert(list, nullptr, 0, nullptr, kListInsertFront);
  EXPECT_EQ(Keys(list), (std::vector<ListKey>{0, 1, 9, 2, 3}));
}

TEST_F(ListFixture, BeforeAndAfterWithoutReferenceGoToTheFront) {
  Add(1);
  ListInsert(list, nullptr, 2, nullptr, kListInsertBefore);
  ListInsert(list, nullptr, 3, nullptr, kListInsertAfter);
  EXPECT_EQ(Keys(list), (std::vector<ListKey>{3, 2, 1}));
}

TEST_F(ListFixture, InsertAtTheEdgesMovesHeadAndTail) {
  ListNode* a = Add(1);
  ListNode* b = Add(2);
  ListNode* newTail = ListInsert(list, b, 3, nullptr, kListInsertAfter);
  ListNode* newHead = ListInsert(list, a, 0, nullptr, kListInsertBefore);
  EXPECT_EQ(list->tail, newTail);
  EXPECT_EQ(list->head, newHead);
  EXPECT_EQ(Keys(list), (std::vector<ListKey>{0, 1, 2, 3}));
}

TEST_F(ListFixture, EmptyListTakesNodeWhateverTheStaleReference) {
  ListNode* stale = Add(7);
  ListRemove(list, stale);
  // The node is freed; only its address is used, as the list never reads it
  // when it is empty.
  ListNode* node = ListInsert(list, reinterpret_cast<ListNode*>(0x10), 5, nullptr, kListInsertBefore);
  EXPECT_EQ(list->head, node);
  EXPECT_EQ(list->tail, node);
  EXPECT_EQ(Keys(list), (std::vector<ListKey>{5}));
}

TEST_F(ListFixture, FindNeverReturnsItsStartNode) {
  ListNode* a = Add(4);
  ListNode* b = Add(4);
  ListNode* c = Add(5);
  EXPECT_EQ(ListFind(list, a, 4, kListForward), b);
  EXPECT_EQ(ListFind(list, b, 4, kListForward), nullptr);
  EXPECT_EQ(ListFind(list, b, 4, kListBackward), a);
  EXPECT_EQ(ListFind(list, nullptr, 5, kListBackward), c);
  EXPECT_EQ(ListFirst(list, 4), a);
  EXPECT_EQ(ListNext(list, a, 4), b);
  EXPECT_EQ(ListFirst(list, 6), nullptr);
}

TEST_F(ListFixture, AnyKeyMatchesTheNeighbour) {
  ListNode* a = Add(1);
  ListNode* b = Add(2);
  EXPECT_EQ(ListFind(list, a, ListAnyKey, kListForward), b);
  EXPECT_EQ(ListFind(list, b, ListAnyKey, kListBackward), a);
  EXPECT_EQ(ListFirst(list, ListAnyKey), a);
}

TEST_F(ListFixture, GetDataWithAndWithoutKeyPlace) {
  int item = 0;
  ListNode* node = ListInsert(list, nullptr, 42, &item, kListInsertEnd);
  ListKey key = 0;
  EXPECT_EQ(ListGetData(node, &key), &item);
  EXPECT_EQ(key, 42u);
  EXPECT_EQ(ListGetData(node, nullptr), &item);
  key = 9;
  EXPECT_EQ(ListGetData(nullptr, &key), nullptr);
  EXPECT_EQ(key, 9u);
}

struct EnumerationLog {
  List* list;
  std::vector<ListKey> visited;
  ListKey removeKey;
  ListKey stopKey;
};

int16_t Visit(ListNode* node, ListKey key, void*, void* context) {
  auto* log = static_cast<EnumerationLog*>(context);
  log->visited.push_back(key);
  if (key == log->stopKey) return 1;
  if (key == log->removeKey) ListRemove(log->list, node);
  return key == 2 ? 2 : 0;  // any value but 1 goes on
}

TEST_F(ListFixture, EnumerationSurvivesRemovalOfTheVisitedNode) {
  for (ListKey k : {1, 2, 3, 4}) Add(k);
  EnumerationLog log{list, {}, 2, 99};
  EXPECT_EQ(ListEnumerate(list, &Visit, ListAnyKey, &log, kListForward), nullptr);
  EXPECT_EQ(log.visited, (std::vector<ListKey>{1, 2, 3, 4}));
  EXPECT_EQ(Keys(list), (std::vector<ListKey>{1, 3, 4}));

  EnumerationLog backward{list, {}, 4, 99};
  ListEnumerate(list, &Visit, ListAnyKey, &backward, kListBackward);
  EXPECT_EQ(backward.visited, (std::vector<ListKey>{4, 3, 1}));
  EXPECT_EQ(Keys(list), (std::vector<ListKey>{1, 3}));
}

TEST_F(ListFixture, EnumerationStopsAtOneAndFiltersByKey) {
  Add(1);
  ListNode* stop = Add(3);
  Add(1);
  EnumerationLog log{list, {}, 0, 3};
  EXPECT_EQ(ListEnumerate(list, &Visit, ListAnyKey, &log, kListForward), stop);
  EXPECT_EQ(log.visited, (std::vector<ListKey>{1, 3}));

  EnumerationLog onlyOnes{list, {}, 0, 99};
  ListEnumerate(list, &Visit, 1, &onlyOnes, kListForward);
  EXPECT_EQ(onlyOnes.visited, (std::vector<ListKey>{1, 1}));
}

std::vector<ListKey> g_deleted;
void RecordDelete(ListKey key, void*) { g_deleted.push_back(key); }

TEST(ListDelete, CallsTheDeleteCallbackOncePerNodeFromTheFront) {
  g_deleted.clear();
  List* list = ListNew(&RecordDelete);
  for (ListKey k : {5, 6, 7}) ListInsert(list, nullptr, k, nullptr, kListInsertEnd);
  ListRemove(list, list->head->next);
  EXPECT_EQ(g_deleted, (std::vector<ListKey>{6}));
  ListDelete(list);
  EXPECT_EQ(g_deleted, (std::vector<ListKey>{6, 5, 7}));
  ListDelete(nullptr);
}

}  // namespace
