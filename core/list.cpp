#include "core/list.h"

#include <cstdio>

#include "core/memory.h"

List* ListNew(ListDeleteCallback deleteCallback) {
  auto* list = static_cast<List*>(MemAlloc(sizeof(List)));
  if (!list) return nullptr;
  *list = List{nullptr, nullptr, deleteCallback, 0};
  return list;
}

void ListDelete(List* list) {
  if (!list) return;
  while (list->head) ListRemove(list, list->head);
  MemFree(list);
}

ListNode* ListInsert(List* list, ListNode* reference, ListKey key, void* data, ListInsertMode mode) {
  auto* node = static_cast<ListNode*>(MemAlloc(sizeof(ListNode)));
  if (!node) return nullptr;
  *node = ListNode{nullptr, nullptr, key, data};

  if (mode == kListInsertBefore || mode == kListInsertAfter) {
    if (!reference || (mode == kListInsertBefore && reference == list->head)) {
      mode = kListInsertFront;
    } else if (mode == kListInsertAfter && reference == list->tail) {
      mode = kListInsertEnd;
    }
  }

  if (!list->head) {
    // An empty list takes the node whatever the mode, even with a stale reference.
    list->head = list->tail = node;
  } else {
    switch (mode) {
      case kListInsertFront:
        node->next = list->head;
        list->head->previous = node;
        list->head = node;
        break;
      case kListInsertEnd:
        node->previous = list->tail;
        list->tail->next = node;
        list->tail = node;
        break;
      case kListInsertBefore:
        node->next = reference;
        node->previous = reference->previous;
        reference->previous->next = node;
        reference->previous = node;
        break;
      case kListInsertAfter:
        node->previous = reference;
        node->next = reference->next;
        reference->next->previous = node;
        reference->next = node;
        break;
    }
  }
  ++list->count;
  return node;
}

void ListRemove(List* list, ListNode* node) {
  if (!node) return;
  if (list->head == node) list->head = node->next;
  if (list->tail == node) list->tail = node->previous;
  if (node->previous) node->previous->next = node->next;
  if (node->next) node->next->previous = node->previous;
  node->next = node->previous = nullptr;
  if (list->deleteCallback) list->deleteCallback(node->key, node->data);
  MemFree(node);
  if (--list->count < 0) {
    list->count = 0;
    std::fputs("List count is less than 0 -- Should not occur!\n", stdout);
  }
}

void* ListGetData(const ListNode* node, ListKey* key) {
  if (!node) return nullptr;
  if (key) *key = node->key;
  return node->data;
}

ListNode* ListFind(const List* list, const ListNode* start, ListKey key, ListDirection direction) {
  ListNode* node;
  if (direction == kListForward) {
    node = start ? start->next : list->head;
  } else {
    node = start ? start->previous : list->tail;
  }
  while (node && key != ListAnyKey && node->key != key) {
    node = direction == kListForward ? node->next : node->previous;
  }
  return node;
}

ListNode* ListFirst(const List* list, ListKey key) {
  return ListFind(list, nullptr, key, kListForward);
}

ListNode* ListNext(const List* list, const ListNode* node, ListKey key) {
  return ListFind(list, node, key, kListForward);
}

ListNode* ListEnumerate(List* list, ListEnumerateCallback callback, ListKey key, void* context,
                        ListDirection direction) {
  ListNode* node = ListFind(list, nullptr, key, direction);
  while (node) {
    // The callback may remove the node it is given, so the successor is
    // taken first.
    ListNode* following = ListFind(list, node, key, direction);
    if (callback(node, node->key, node->data, context) == 1) return node;
    node = following;
  }
  return nullptr;
}
