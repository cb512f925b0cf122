// A preview without a pane ends at once with status 0, whether the tail
// names no window at all or a number that is not one.
#include "saver_host.h"

TEST(BadInput, APreviewWithoutAPaneEndsAtOnceWithStatusZero)
{
    // -3 is HWND_MESSAGE, the parent of windows nobody sees or destroys.
    for (const char* tail : {"/p", "/p 0", "/p abc", "/p 2147483647", "/p -3"})
        EXPECT_EQ(Process(tail).WaitForExit(5000), 0u) << "tail \"" << tail << "\"";
}
