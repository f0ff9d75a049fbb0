// Error state, the fixed error table, internal message form and truncation, and the console
// diagnostic prefixes.

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "vexl/errors.h"

using namespace vexl;

namespace {

bool formatVA(CErrorBase &base, const char *format, ...) {
    va_list l_args;
    va_start(l_args, format);
    bool l_bOk = base.setErrMsgVA(format, l_args);
    va_end(l_args);
    return l_bOk;
}

} // namespace

TEST(Errors, FixedTableIsCompleteAndUnique) {
    ASSERT_EQ(CErrorBase::getFixErrorCount(), 52u);
    std::set<int> l_setCodes;
    for (unsigned i = 0; i < CErrorBase::getFixErrorCount(); ++i) {
        int l_nCode;
        const char *l_szText;
        ASSERT_TRUE(CErrorBase::getFixErrorAt(i, l_nCode, l_szText));
        EXPECT_TRUE(l_setCodes.insert(l_nCode).second) << l_nCode;
        EXPECT_LE(std::string(l_szText).size(), 47u);
        EXPECT_EQ(l_szText[0], '[');
    }
    int l_nCode;
    const char *l_szText;
    EXPECT_FALSE(CErrorBase::getFixErrorAt(52, l_nCode, l_szText));
    EXPECT_STREQ(CErrorBase::getFixErrorText(-13000), "[DB] SQL syntax error");
    EXPECT_STREQ(CErrorBase::getFixErrorText(-983), "[SYS] Not exist directory");
    EXPECT_STREQ(CErrorBase::getFixErrorText(-1292), "[AUTH] The same domain-ID already exist");
}

TEST(Errors, SetFixError) {
    CErrorBase l_err;
    EXPECT_FALSE(l_err.isError());
    EXPECT_TRUE(l_err.setFixError(-1995));
    EXPECT_EQ(l_err.getLastErrMsg(), "[NET] ");
    EXPECT_EQ(l_err.getLastErrCode(), -1995);
    EXPECT_FALSE(l_err.setFixError(4));
    EXPECT_EQ(l_err.getLastErrCode(), -1995);
    EXPECT_EQ(l_err.getLastErrMsg(), "[NET] ");
    EXPECT_TRUE(l_err.setFixError(0));
    EXPECT_EQ(l_err.getLastErrMsg(), "[OK] Succeeded");
    EXPECT_TRUE(l_err.isError()); // the message is not empty
    l_err.clearError();
    EXPECT_FALSE(l_err.isError());
}

TEST(Errors, MessagesAndUserErrors) {
    CErrorBase l_err;
    EXPECT_TRUE(l_err.setErrMsg("value %d", 5));
    EXPECT_EQ(l_err.getLastErrMsg(), "value 5");
    EXPECT_EQ(l_err.getLastErrCode(), 0);
    EXPECT_FALSE(l_err.setErrMsg("%s", ""));
    EXPECT_EQ(l_err.getLastErrMsg(), "value 5");
    EXPECT_FALSE(l_err.setErrMsg(nullptr));
    std::string l_str511(511, 'a'), l_str512(512, 'a');
    EXPECT_TRUE(l_err.setErrMsg("%s", l_str511.c_str()));
    EXPECT_EQ(l_err.getLastErrMsg().size(), 511u);
    EXPECT_FALSE(l_err.setErrMsg("%s", l_str512.c_str())); // refused, never overrun
    EXPECT_EQ(l_err.getLastErrMsg().size(), 511u);
    EXPECT_TRUE(formatVA(l_err, "%s-%u", "va", 7u));
    EXPECT_EQ(l_err.getLastErrMsg(), "va-7");

    EXPECT_TRUE(l_err.setUserError(-5, "user %s", "text"));
    EXPECT_EQ(l_err.getLastErrCode(), -5);
    EXPECT_EQ(l_err.getLastErrMsg(), "user text");
    EXPECT_FALSE(l_err.setUserError(-6, "%s", ""));
    EXPECT_EQ(l_err.getLastErrCode(), -5);
    EXPECT_EQ(l_err.getLastErrMsg(), "user text");

    l_err.addErrMsg(" one");
    l_err.addErrMsg(nullptr);
    l_err.addErrMsg(" two");
    EXPECT_EQ(l_err.getLastErrMsg(), "user text one two");

    CErrorBase l_copy(l_err);
    EXPECT_EQ(l_copy.getLastErrCode(), -5);
    EXPECT_EQ(l_copy.getLastErrMsg(), l_err.getLastErrMsg());
}

TEST(Errors, InternalMessageFormAndTruncation) {
    EXPECT_EQ(formatInternalMessage("[%s#%d] Unknown data type(%d)", "vexl::CFields::setValue", 42, 9),
              "[vexl::CFields::setValue#42] Unknown data type(9)");
    std::string l_strLong(300, 'x');
    std::string l_str = formatInternalMessage("[%s#%d] %s", "vexl::f", 1, l_strLong.c_str());
    EXPECT_EQ(l_str.size(), 255u);
    EXPECT_EQ(l_str.substr(0, 13), "[vexl::f#1] x");
    try {
        raiseLogicError("[%s#%d] %s", "vexl::g", 2, l_strLong.c_str());
        FAIL() << "nothing raised";
    } catch (const CException &e) {
        EXPECT_EQ(std::string(e.what()).size(), 255u);
        EXPECT_NE(dynamic_cast<const CLogicError *>(&e), nullptr);
    }
    EXPECT_THROW(raiseRuntimeError("[%s#%d] r", "vexl::h", 3), CRuntimeError);
    try {
        raiseLogicError("mismatched condition");
    } catch (const std::exception &e) {
        EXPECT_STREQ(e.what(), "mismatched condition");
    }
}

TEST(Errors, DiagnosticPrefixes) {
    EXPECT_EQ(diagnosticPrefix(0), "");
    EXPECT_EQ(diagnosticPrefix(30), "");
    EXPECT_EQ(diagnosticPrefix(40), "Fatal: ");
    EXPECT_EQ(diagnosticPrefix(50), "Ohhhh jeeee: ");
    EXPECT_EQ(diagnosticPrefix(100), "DBG: ");
    EXPECT_EQ(diagnosticPrefix(7), "[Unknown log level 7]: ");
    testing::internal::CaptureStderr();
    printDiagnostic(40, "disk %s\n", "full");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Fatal: disk full\n");
}
