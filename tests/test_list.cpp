// The pointer list: growth by doubling, editing, ranges, comparison and the error reports.
#include <gtest/gtest.h>

#include <vector>

#include "core/list.h"
#include "report_capture.h"

namespace {

int cells[8];
void *P(int i) { return &cells[i]; }

std::vector<void *> items(const LIST *list)
{
    return std::vector<void *>(list->items, list->items + list->count);
}

LIST *listOf(std::initializer_list<int> which)
{
    LIST *list = LISTNew();
    for (int i : which) LISTAppend(list, P(i));
    return list;
}

}  // namespace

TEST(List, NewAppendAndDoubling)
{
    LIST *list = LISTNew();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->capacity, 2);
    EXPECT_EQ(list->count, 0);
    EXPECT_EQ(list->items[0], nullptr);
    EXPECT_EQ(list->items[1], nullptr);

    std::vector<int32_t> capacities;
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(LISTAppend(list, P(i)), 1);
        capacities.push_back(list->capacity);
    }
    EXPECT_EQ(capacities, (std::vector<int32_t>{2, 2, 4, 4, 8}));
    EXPECT_EQ(items(list), (std::vector<void *>{P(0), P(1), P(2), P(3), P(4)}));
    EXPECT_EQ(list->items[5], nullptr) << "grown slots are zero-filled";
    LISTAppend(list, nullptr);
    EXPECT_EQ(list->count, 6) << "null is a legal item";

    LISTFree(&list);
    EXPECT_EQ(list, nullptr);
    EXPECT_EQ(reported(LISTError, [&] { LISTFree(&list); }), "LIST error\n");
    EXPECT_EQ(reported(LISTError, [&] { LISTFree(nullptr); }), "LIST error\n");
}

TEST(List, RemovePopGetSet)
{
    LIST *list = listOf({0, 1, 2});
    LISTRemove(list, 0);
    EXPECT_EQ(items(list), (std::vector<void *>{P(1), P(2)}));
    EXPECT_EQ(list->items[2], nullptr) << "the vacated slot is nulled";

    EXPECT_EQ(reported(LISTError, [&] { LISTRemove(list, 2); }), "LIST error\n");
    EXPECT_EQ(reported(LISTError, [&] { LISTRemove(list, -1); }), "LIST error\n");
    EXPECT_EQ(list->count, 2);

    LISTSet(list, P(7), 1);
    EXPECT_EQ(LISTGet(list, 1), P(7));
    std::string out = reported(LISTError, [&] {
        EXPECT_EQ(LISTGet(list, 2), nullptr);
        LISTSet(list, P(5), 2);
    });
    EXPECT_EQ(out, "LIST error\nLIST error\n");
    EXPECT_EQ(items(list), (std::vector<void *>{P(1), P(7)}));

    EXPECT_EQ(LISTPop(list), P(7));
    EXPECT_EQ(LISTPop(list), P(1));
    void *popped = P(0);
    EXPECT_EQ(reported(LISTError, [&] { popped = LISTPop(list); }), "LIST error\n");
    EXPECT_EQ(popped, nullptr);
    EXPECT_EQ(list->count, 0);
    LISTFree(&list);
}

TEST(List, InsertAtEveryPosition)
{
    LIST *list = listOf({0, 1});
    EXPECT_EQ(LISTInsert(list, P(5), 2), 1) << "at count it appends";
    EXPECT_EQ(items(list), (std::vector<void *>{P(0), P(1), P(5)}));
    EXPECT_EQ(list->capacity, 4);
    EXPECT_EQ(LISTInsert(list, P(6), 0), 1);
    EXPECT_EQ(LISTInsert(list, P(7), 2), 1);
    EXPECT_EQ(items(list), (std::vector<void *>{P(6), P(0), P(7), P(1), P(5)}));
    EXPECT_EQ(list->capacity, 8);

    int32_t result = 1;
    EXPECT_EQ(reported(LISTError, [&] { result = LISTInsert(list, P(3), 6); }), "LIST error\n");
    EXPECT_EQ(result, 0);
    EXPECT_EQ(reported(LISTError, [&] { LISTInsert(list, P(3), -1); }), "LIST error\n");
    EXPECT_EQ(list->count, 5);
    LISTFree(&list);
}

TEST(List, EqualCopyAndFind)
{
    LIST *a = listOf({0, 1, 2});
    LIST *b = listOf({0, 1, 2, 3, 4});
    LISTPop(b);
    LISTPop(b);
    EXPECT_NE(a->capacity, b->capacity);
    EXPECT_EQ(LISTEqual(a, b), 1) << "capacities do not matter";
    EXPECT_EQ(LISTEqual(a, a), 1);
    EXPECT_EQ(LISTEqual(a, nullptr), 0);
    EXPECT_EQ(LISTEqual(nullptr, a), 0);
    EXPECT_EQ(LISTEqual(nullptr, nullptr), 1);
    LISTSet(b, P(3), 2);
    EXPECT_EQ(LISTEqual(a, b), 0);
    LISTPop(b);
    EXPECT_EQ(LISTEqual(a, b), 0) << "different counts";

    LIST *copy = LISTCopy(a);
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy->items, a->items);
    EXPECT_EQ(LISTEqual(a, copy), 1);
    LIST *empty = LISTNew();
    LIST *emptyCopy = LISTCopy(empty);
    LISTFree(&empty);
    ASSERT_NE(emptyCopy, nullptr);
    EXPECT_EQ(emptyCopy->count, 0);
    EXPECT_EQ(emptyCopy->capacity, 2);
    LIST *none = a;
    EXPECT_EQ(reported(LISTError, [&] { none = LISTCopy(nullptr); }), "LIST error\n");
    EXPECT_EQ(none, nullptr);

    LISTAppend(a, P(1));
    EXPECT_EQ(LISTFind(a, P(1)), 1) << "the lower of two positions";
    EXPECT_EQ(LISTFind(a, P(6)), -1);
    int32_t at = 0;
    EXPECT_EQ(reported(LISTError, [&] { at = LISTFind(a, nullptr); }), "LIST error\n");
    EXPECT_EQ(at, -1);

    LISTFree(&a);
    LISTFree(&b);
    LISTFree(&copy);
    LISTFree(&emptyCopy);
}

TEST(List, Ranges)
{
    LIST *xyz = listOf({0, 1, 2});  // x, y, z
    LIST *ab = listOf({5, 6});      // a, b
    EXPECT_EQ(LISTInsertRange(xyz, ab, 1, 2, 1), 1);
    EXPECT_EQ(items(ab), (std::vector<void *>{P(5), P(1), P(6)})) << "end is exclusive";

    EXPECT_EQ(LISTInsertRange(xyz, ab, 0, 3, 3), 1);
    EXPECT_EQ(items(ab), (std::vector<void *>{P(5), P(1), P(6), P(0), P(1), P(2)}));
    EXPECT_EQ(ab->capacity, 8);

    LIST *sub = LISTSub(ab, 1, 4);
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(items(sub), (std::vector<void *>{P(1), P(6), P(0)}));
    LIST *none = xyz;
    std::string out = reported(LISTError, [&] {
        none = LISTSub(ab, 2, 2);
        EXPECT_EQ(LISTSub(ab, -1, 2), nullptr);
        EXPECT_EQ(LISTSub(ab, 0, 7), nullptr);
    });
    EXPECT_EQ(out, "LIST error\nLIST error\nLIST error\n");
    EXPECT_EQ(none, nullptr) << "an empty range is refused, not an empty list";

    LISTRemoveRange(ab, 1, 3);
    EXPECT_EQ(items(ab), (std::vector<void *>{P(5), P(0), P(1), P(2)}));
    out = reported(LISTError, [&] {
        LISTRemoveRange(ab, 2, 2);
        LISTRemoveRange(ab, 0, 5);
        EXPECT_EQ(LISTInsertRange(xyz, ab, 0, 1, 5), 0);
        EXPECT_EQ(LISTInsertRange(xyz, ab, 1, 1, 0), 0);
        EXPECT_EQ(LISTInsertRange(nullptr, ab, 0, 1, 0), 0);
    });
    EXPECT_EQ(out, "LIST error\nLIST error\nLIST error\nLIST error\nLIST error\n");
    EXPECT_EQ(ab->count, 4);

    // A range of the list into itself takes the items as they stood before the insertion.
    EXPECT_EQ(LISTInsertRange(xyz, xyz, 0, 3, 1), 1);
    EXPECT_EQ(items(xyz), (std::vector<void *>{P(0), P(0), P(1), P(2), P(1), P(2)}));

    LISTFree(&xyz);
    LISTFree(&ab);
    LISTFree(&sub);
}

TEST(List, NoTextFormAndReports)
{
    LIST *list = LISTNew();
    EXPECT_EQ(reported(LISTError, [&] { EXPECT_EQ(LISTToASCII(list), nullptr); }), "");
    EXPECT_EQ(reported(LISTError, [&] { EXPECT_EQ(LISTToASCII(nullptr), nullptr); }), "LIST error\n");
    EXPECT_EQ(reported(LISTError, [&] { EXPECT_EQ(LISTFromASCII("LIST{}"), nullptr); }), "");
    EXPECT_EQ(reported(LISTError, [&] { EXPECT_EQ(LISTFromASCII(nullptr), nullptr); }), "LIST error\n");
    std::string out = reported(LISTError, [&] {
        EXPECT_EQ(LISTAppend(nullptr, P(0)), 0);
        EXPECT_EQ(LISTGrow(nullptr), 0);
        EXPECT_EQ(LISTGet(nullptr, 0), nullptr);
        EXPECT_EQ(LISTFind(nullptr, P(0)), -1);
    });
    EXPECT_EQ(out, "LIST error\nLIST error\nLIST error\nLIST error\n");
    LISTFree(&list);
}

TEST(List, GrowthThatCannotHappenKeepsTheListAndFailsVisibly)
{
    // A list at the largest capacity that still doubles within 32 bits is full: one more
    // item cannot be stored. Nothing is allocated or touched, the caller sees 0 and a report.
    void *slots[2] = {P(0), P(1)};
    LIST full = {1 << 30, 1 << 30, slots};
    int32_t result = 1;
    EXPECT_EQ(reported(LISTError, [&] { result = LISTAppend(&full, P(2)); }), "LIST error\nLIST error\n");
    EXPECT_EQ(result, 0);
    EXPECT_EQ(reported(LISTError, [&] { result = LISTInsert(&full, P(2), 0); }), "LIST error\nLIST error\n");
    EXPECT_EQ(result, 0);
    EXPECT_EQ(full.capacity, 1 << 30);
    EXPECT_EQ(full.count, 1 << 30);
    EXPECT_EQ(full.items, slots);
    EXPECT_EQ(slots[0], P(0));
    EXPECT_EQ(slots[1], P(1));

    LIST *list = listOf({0, 1});
    void **before = list->items;
    EXPECT_EQ(LISTGrow(list), 1);
    EXPECT_NE(list->items, before);
    EXPECT_EQ(list->capacity, 4);
    EXPECT_EQ(items(list), (std::vector<void *>{P(0), P(1)}));
    LISTFree(&list);
}
