// Command-line scanning shared by the subcommands.

#include <algorithm>

#include "common.h"

namespace vexl::tool {

CArgs::CArgs(std::vector<std::string> flags, std::vector<std::string> valued)
    : m_vecFlags(std::move(flags)), m_vecValued(std::move(valued)) {}

bool CArgs::parse(int argc, char **argv, int first) {
    bool l_bOptions = true;
    for (int i = first; i < argc; ++i) {
        std::string l_strArg = argv[i];
        if (!l_bOptions || l_strArg == "-" || l_strArg.size() < 2 || l_strArg[0] != '-') {
            m_vecOperands.push_back(l_strArg);
            continue;
        }
        if (l_strArg == "--") {
            l_bOptions = false;
            continue;
        }
        std::string l_strValue;
        bool l_bInline = false;
        const size_t l_uiEq = l_strArg.find('=');
        if (l_strArg.rfind("--", 0) == 0 && l_uiEq != std::string::npos) {
            l_strValue = l_strArg.substr(l_uiEq + 1);
            l_strArg.resize(l_uiEq);
            l_bInline = true;
        }
        if (std::find(m_vecFlags.begin(), m_vecFlags.end(), l_strArg) != m_vecFlags.end() && !l_bInline) {
            m_vecGiven.push_back(l_strArg);
            m_vecValues.emplace_back();
        } else if (std::find(m_vecValued.begin(), m_vecValued.end(), l_strArg) != m_vecValued.end()) {
            if (!l_bInline) {
                if (i + 1 >= argc) {
                    m_strError = "option " + l_strArg + " needs a value";
                    return false;
                }
                l_strValue = argv[++i];
            }
            m_vecGiven.push_back(l_strArg);
            m_vecValues.push_back(l_strValue);
        } else {
            m_strError = "unknown option " + l_strArg;
            return false;
        }
    }
    return true;
}

bool CArgs::has(std::string_view option) const {
    return std::find(m_vecGiven.begin(), m_vecGiven.end(), option) != m_vecGiven.end();
}

std::string CArgs::value(std::string_view option, std::string fallback) const {
    // The last occurrence wins, as with most tools.
    for (size_t i = m_vecGiven.size(); i-- > 0;)
        if (m_vecGiven[i] == option)
            return m_vecValues[i];
    return fallback;
}

bool wantsHelp(int argc, char **argv, const char *help) {
    for (int i = 0; i < argc; ++i) {
        const std::string_view l_strArg = argv[i];
        if (l_strArg == "--")
            break;
        if (l_strArg == "--help" || l_strArg == "-h") {
            std::fputs(help, stdout);
            return true;
        }
    }
    return false;
}

} // namespace vexl::tool
