// Steps 9 and 10 of `vexl`: a record built by hand, written, read back and printed.

#include <cstdio>

#include "common/console.h"
#include "steps/steps.h"
#include "vexl/vexl.h"

namespace demo {

namespace {

// Member names in the double-byte code page CP949, written as bytes so that the record keeps them
// whatever the source encoding.
const char *const kName = "\xC0\xCC\xB8\xA7";             // name
const char *const kAge = "\xB3\xAA\xC0\xCC";              // age
const char *const kLeftEye = "\xC1\xC2\xBD\xC3\xB7\xC2";  // eyesight, left
const char *const kRightEye = "\xBF\xEC\xBD\xC3\xB7\xC2"; // eyesight, right
const char *const kFriends = "\xC4\xA3\xB1\xB8";          // friends
const char *const kGender = "\xBC\xBA\xBA\xB0";           // gender

vexl::CFields buildRecord() {
    vexl::CFields l_tRecord;
    l_tRecord.addChildRef(kName) = "Hong Gildong";
    l_tRecord.addChildRef(kAge) = 30;
    l_tRecord.addChildRef(kLeftEye) = 3.05;
    l_tRecord.addChildRef(kRightEye) = 3.05;

    // The friend list is built on its own, one element each way, and then assigned.
    vexl::CFields l_tFriends;
    l_tFriends.addChildRef(nullptr) = "Kim Minsu";
    l_tFriends.addArrayAt(vexl::CFields("Lee Jiwon"));
    l_tRecord.addChildRef(kFriends) = l_tFriends;

    l_tRecord.addChildRef(kGender) = "male";
    return l_tRecord;
}

void printText(const char *a_cpLabel, const vexl::CFields &a_tValue) {
    std::printf("%s", a_cpLabel);
    printBytes(a_tValue.asString());
    std::fputc('\n', stdout);
}

} // namespace

void manualRecordTest() {
    printSeparator(79);
    std::puts("VEXL MakeTest(Manual)");
    printSeparator(79);
    vexl::CSaver4SER_HFW l_tSaver;
    const std::string l_strText = l_tSaver.saving(buildRecord(), vexl::SIS_DETAIL, "");
    printBytes(l_strText);
    std::fputc('\n', stdout);

    printSeparator(79);
    std::puts("VEXL ParseTest(Manual)");
    printSeparator(79);
    vexl::CFields l_tRead;
    vexl::CLoaders l_tLoaders(vexl::LCBC_DEFAULT);
    if (!l_tLoaders.loading(l_strText, l_tRead, "", true)) {
        std::puts("VEXL parsing failed.");
        return;
    }
    const vexl::CFields l_tFallback("defaultvalue");
    printText("name     : ", l_tRead.copyChildAt(kName, l_tFallback));
    std::printf("age      : %d\n", l_tRead[kAge].asSint32());
    std::printf("eyesight : %g, %g\n", l_tRead[kLeftEye].asDouble(), l_tRead[kRightEye].asDouble());
    std::puts("friends  :");
    const vexl::CFields &l_tFriends = l_tRead[kFriends];
    for (unsigned i = 0; i < l_tFriends.getChildCount(); ++i)
        printText("> ", l_tFriends.getChildAt(i));
    printText("gender   : ", l_tRead.copyChildAt(kGender, l_tFallback));
}

} // namespace demo
