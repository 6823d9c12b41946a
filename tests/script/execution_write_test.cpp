#include <gtest/gtest.h>

#include <string>

#include "base/time_course.h"
#include "script/script_execution.h"
#include "script/write_items.h"

namespace kora {
namespace {

// x = 10 t over t = 0, 1, 2, with an event row repeating t = 2 at x = 50.
TimeCourse Course() {
    TimeCourse course(2, "run");
    course.names = {"t", "x"};
    const double rows[][2] = {{0, 0}, {1, 10}, {2, 20}, {2, 50}};
    course.rows = 4;
    course.data.Allocate(8);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 2; ++c)
            course.data.data()[r * 2 + c] = rows[r][c];
    return course;
}

struct Writer {
    std::string operator()(const std::string& format) {
        return FormatWriteOutput(format, continuation, sources);
    }
    bool continuation = false;
    WriteSources sources;
};

// Declarations of the model text, as Locate would give them back.
bool FakeLocate(std::string& item) {
    if (item == "k=")
        item = "k = 2.50 // rate";
    else if (item == "v=")
        item = "v = 2*k";
    else if (item == "w=")
        item = "w = k*2";
    else
        return false;
    return true;
}

TEST(ExecutionWrite, ItemsSeparatorsAndLiterals) {
    Writer write;
    write.sources.locateDeclaration = FakeLocate;
    EXPECT_EQ(write(""), "\n");
    EXPECT_EQ(write("\"k = \", k"), "\nk = \t2.5");
    // A value that starts with a number is that number.
    EXPECT_EQ(write("k=; v=; v; w; q"), "\nk = 2.50 // rate"
                                        "v = 2*k"
                                        "2"
                                        "k*2"
                                        "N/A");
    // An unclosed literal gives nothing and ends the format.
    EXPECT_EQ(write("\"open, k"), "\n");
    EXPECT_FALSE(write.continuation);
    // A trailing separator (blanks after it too) continues the line.
    EXPECT_EQ(write("\"a\" ;  "), "\na");
    EXPECT_EQ(write(", \"b\","), "\tb\t");
    EXPECT_EQ(write("\"c\""), "c");
    EXPECT_EQ(write("\"d\""), "\nd");
}

TEST(ExecutionWrite, TimerAndTimeCourseValues) {
    const TimeCourse course = Course();
    Writer write;
    write.sources.timerMs = 1234;
    write.sources.locateDeclaration = FakeLocate;
    EXPECT_EQ(write(":timer"), "\n1234");
    // Without results an "@" item is a model quantity, which is unknown.
    EXPECT_EQ(write("x@LAST"), "\nN/A");

    write.sources.lastCourse = &course;
    EXPECT_EQ(write("x@last; \" \"; x @ 0.25; \" \"; x@2"), "\n50 2.5 20");
    EXPECT_EQ(write("y@1; \" \"; x@soon"), "\nN/A N/A");
    // Outside the times the item falls back to the model text.
    EXPECT_EQ(write("x@3"), "\nN/A");

    TimeCourse empty = Course();
    empty.rows = 0;
    write.sources.lastCourse = &empty;
    EXPECT_EQ(write("x@LAST"), "\nN/A");
}

TEST(ExecutionHelpers, SaveNamesAndCaptions) {
    EXPECT_EQ(ResultsSaveName("out"), "out.res");
    EXPECT_EQ(ResultsSaveName("out.RES"), "out.RES");
    EXPECT_EQ(ResultsSaveName("out.txt"), "out.txt.res");
    EXPECT_EQ(MessagesCaption("/data/models/a.krm"), "Messages from a.krm");
    EXPECT_EQ(MessagesCaption("C:\\m\\a.krm"), "Messages from a.krm");
}

} // namespace
} // namespace kora
