// LIST: an ordered, growable array of borrowed, untyped pointers. Growth only ever doubles the
// slot array; every shift runs in the safe direction (up from the top, down from the bottom).
#include "core/list.h"

#include <climits>
#include <cstdlib>
#include <cstring>

#include "core/ident.h"

ErrorReporter LISTError = {0, "LIST error"};
KOVA_IDENT(LISTIdent, "LIST    ", "20110214", "ValenTRQ", "C       ", "CODE    ");

namespace {

// A list with an empty slot array of `capacity` slots (a power of two >= 2); null on failure.
LIST *newWithCapacity(int32_t capacity)
{
    LIST *list = static_cast<LIST *>(std::calloc(1, sizeof(LIST)));
    if (!list) return nullptr;
    list->items = static_cast<void **>(std::calloc(static_cast<size_t>(capacity), sizeof(void *)));
    if (!list->items) {
        std::free(list);
        return nullptr;
    }
    list->capacity = capacity;
    return list;
}

// The capacity a list reaches from 2 by doubling until it holds `count` slots; 0 when that
// does not fit in 32 bits.
int32_t capacityFor(int64_t count)
{
    int64_t capacity = 2;
    while (capacity < count) capacity *= 2;
    return capacity > INT32_MAX ? 0 : static_cast<int32_t>(capacity);
}

// Moves the items into a new zero-filled array of `capacity` slots (at least count); false,
// with the list untouched, when it cannot be allocated.
bool reallocate(LIST *list, int32_t capacity)
{
    void **items = static_cast<void **>(std::calloc(static_cast<size_t>(capacity), sizeof(void *)));
    if (!items) return false;
    if (list->count > 0) std::memcpy(items, list->items, sizeof(void *) * list->count);
    std::free(list->items);
    list->items = items;
    list->capacity = capacity;
    return true;
}

// Doubles the capacity until at least `needed` slots exist, in one allocation: on failure
// (reported, as LISTGrow reports) the list stays exactly as it was.
bool growTo(LIST *list, int64_t needed)
{
    if (list->capacity >= needed) return true;
    int64_t capacity = list->capacity < 1 ? 2 : list->capacity;
    while (capacity < needed) capacity *= 2;
    if (capacity > INT32_MAX || !reallocate(list, static_cast<int32_t>(capacity))) return report(LISTError, false);
    return true;
}

bool valid(const LIST *list) { return list && list->items; }

}  // namespace

LIST *LISTNew()
{
    LIST *list = newWithCapacity(2);
    if (!list) return report(LISTError, nullptr);
    return list;
}

void LISTFree(LIST **list)
{
    if (!list || !*list) return report(LISTError);
    std::free((*list)->items);
    std::free(*list);
    *list = nullptr;
}

char *LISTToASCII(const LIST *list)
{
    if (!list) return report(LISTError, nullptr);
    return nullptr;
}

LIST *LISTFromASCII(const char *text)
{
    if (!text) return report(LISTError, nullptr);
    return nullptr;
}

int32_t LISTEqual(const LIST *a, const LIST *b)
{
    if (a == b) return 1;
    if (!a || !b) return 0;
    if (a->count != b->count) return 0;
    if (a->count == 0) return 1;
    if (!a->items || !b->items) return 0;
    for (int32_t i = 0; i < a->count; ++i) {
        if (a->items[i] != b->items[i]) return 0;
    }
    return 1;
}

LIST *LISTCopy(const LIST *list)
{
    if (!valid(list)) return report(LISTError, nullptr);
    const int32_t capacity = capacityFor(list->count);
    LIST *copy = capacity ? newWithCapacity(capacity) : nullptr;
    if (!copy) return report(LISTError, nullptr);
    if (list->count > 0) std::memcpy(copy->items, list->items, sizeof(void *) * list->count);
    copy->count = list->count;
    return copy;
}

int32_t LISTAppend(LIST *list, void *item)
{
    if (!valid(list)) return report(LISTError, 0);
    if (list->count >= list->capacity && !LISTGrow(list)) return report(LISTError, 0);
    list->items[list->count++] = item;
    return 1;
}

int32_t LISTInsert(LIST *list, void *item, int32_t position)
{
    if (!valid(list) || position < 0 || position > list->count) return report(LISTError, 0);
    if (!growTo(list, int64_t{list->count} + 1)) return report(LISTError, 0);
    for (int32_t i = list->count; i > position; --i) list->items[i] = list->items[i - 1];
    list->items[position] = item;
    list->count++;
    return 1;
}

void LISTRemove(LIST *list, int32_t position)
{
    if (!valid(list) || position < 0 || position >= list->count) return report(LISTError);
    for (int32_t i = position; i < list->count - 1; ++i) list->items[i] = list->items[i + 1];
    list->items[--list->count] = nullptr;
}

void *LISTPop(LIST *list)
{
    if (!valid(list) || list->count <= 0) return report(LISTError, nullptr);
    return list->items[--list->count];
}

void *LISTGet(const LIST *list, int32_t position)
{
    if (!valid(list) || position < 0 || position >= list->count) return report(LISTError, nullptr);
    return list->items[position];
}

void LISTSet(LIST *list, void *item, int32_t position)
{
    if (!valid(list) || position < 0 || position >= list->count) return report(LISTError);
    list->items[position] = item;
}

int32_t LISTFind(const LIST *list, const void *item)
{
    if (!valid(list) || !item) return report(LISTError, -1);
    for (int32_t i = 0; i < list->count; ++i) {
        if (list->items[i] == item) return i;
    }
    return -1;
}

LIST *LISTSub(const LIST *list, int32_t first, int32_t end)
{
    if (!valid(list) || first < 0 || first >= end || end > list->count) {
        return report(LISTError, nullptr);
    }
    const int32_t n = end - first;
    LIST *sub = newWithCapacity(capacityFor(n));
    if (!sub) return report(LISTError, nullptr);
    std::memcpy(sub->items, list->items + first, sizeof(void *) * n);
    sub->count = n;
    return sub;
}

void LISTRemoveRange(LIST *list, int32_t first, int32_t end)
{
    if (!valid(list) || first < 0 || first >= end || end > list->count) return report(LISTError);
    const int32_t n = end - first;
    for (int32_t i = end; i < list->count; ++i) list->items[i - n] = list->items[i];
    list->count -= n;
}

int32_t LISTInsertRange(const LIST *source, LIST *target, int32_t first, int32_t end,
                        int32_t position)
{
    if (!valid(source) || !valid(target) || first < 0 || first >= end || end > source->count ||
        position < 0 || position > target->count) {
        return report(LISTError, 0);
    }
    // A range of the target itself would move under the shift below: insert a copy of it.
    if (source == target) {
        LIST *range = LISTSub(source, first, end);
        if (!range) return report(LISTError, 0);
        const int32_t done = LISTInsertRange(range, target, 0, end - first, position);
        LISTFree(&range);
        return done;
    }
    const int32_t n = end - first;
    if (!growTo(target, int64_t{target->count} + n)) return report(LISTError, 0);
    for (int32_t i = target->count - 1; i >= position; --i) target->items[i + n] = target->items[i];
    for (int32_t i = n - 1; i >= 0; --i) target->items[position + i] = source->items[first + i];
    target->count += n;
    return 1;
}

int32_t LISTGrow(LIST *list)
{
    if (!valid(list) || list->capacity < 0) return report(LISTError, 0);
    if (list->capacity > INT32_MAX / 2) return report(LISTError, 0);
    const int32_t capacity = list->capacity < 1 ? 2 : list->capacity * 2;
    return reallocate(list, capacity) ? 1 : report(LISTError, 0);
}
