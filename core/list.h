#pragma once
// The program's one container: a doubly linked list of key/data pairs with a
// per-list delete callback. Lookup is a linear search; the lists are short.

#include <cstdint>

using ListKey = uint32_t;

// As a search key it matches every node.
inline constexpr ListKey ListAnyKey = 0xFFFFFFFFu;

struct ListNode {
  ListNode* next;
  ListNode* previous;
  ListKey key;
  void* data;
};

// Called for every node that leaves the list; the node is already unlinked.
using ListDeleteCallback = void (*)(ListKey key, void* data);

struct List {
  ListNode* head;
  ListNode* tail;
  ListDeleteCallback deleteCallback;
  int32_t count;
};

enum ListInsertMode : int {
  kListInsertFront = 0,
  kListInsertEnd = 1,
  kListInsertBefore = 2,
  kListInsertAfter = 3,
};

enum ListDirection : int { kListForward = 0, kListBackward = 1 };

// Returns 1 to stop an enumeration at this node; any other value goes on.
using ListEnumerateCallback = int16_t (*)(ListNode* node, ListKey key, void* data, void* context);

// A new empty list, or nullptr when memory is exhausted.
List* ListNew(ListDeleteCallback deleteCallback);
// Removes every node from the front (calling the delete callback), then frees
// the list. nullptr is ignored.
void ListDelete(List* list);
// Links a new node as mode says, relative to reference (may be nullptr).
// Returns the node, or nullptr when memory is exhausted (list unchanged).
ListNode* ListInsert(List* list, ListNode* reference, ListKey key, void* data, ListInsertMode mode);
// Unlinks node, calls the delete callback and frees node. nullptr is ignored.
void ListRemove(List* list, ListNode* node);
// The node's data, storing its key in *key when key is given; nullptr for no node.
void* ListGetData(const ListNode* node, ListKey* key);
// First node matching key strictly beyond start (nullptr: from the head or
// tail) in direction; never start itself.
ListNode* ListFind(const List* list, const ListNode* start, ListKey key, ListDirection direction);
ListNode* ListFirst(const List* list, ListKey key);
ListNode* ListNext(const List* list, const ListNode* node, ListKey key);
// Calls callback for each matching node in turn and returns the first node
// for which it returned 1, or nullptr. The callback may remove the node it was
// called for; the walk goes on with the node that followed it.
ListNode* ListEnumerate(List* list, ListEnumerateCallback callback, ListKey key, void* context,
                        ListDirection direction);
