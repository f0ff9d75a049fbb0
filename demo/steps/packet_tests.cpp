// Step 11 of `vexl`: the packet engine over the members of the sample documents.
//
// The "keyword" layout (samples/keyword.vexl) exercises the light checks of "fix" and "valid",
// the lengths, making, parsing and the detailed check of the whole tree. The "header"/"body"
// layout (samples/header.vexl) parses a fixed-width request field by field and as a whole, and
// makes it again; its sample packets are the members "samples"::"header" and "samples"::"body".

#include <cstdio>
#include <string>

#include "common/console.h"
#include "steps/steps.h"
#include "vexl/vexl.h"

namespace demo {

namespace {

const char *okOrNg(bool a_bPassed) {
    return a_bPassed ? "OK" : "NG";
}

const char *typeWord(const vexl::CFields &a_tField) {
    return vexl::DATA_TYPE_WORDS[a_tField.getDT()];
}

void printLength(const char *a_cpLabel, const vexl::CFields &a_tField,
                 vexl::uPacketLengthExpression a_uLength) {
    std::printf("%s : packet length = [%s] %u bytes\n", a_cpLabel, typeWord(a_tField), a_uLength.uLength());
}

// MARK: - The "keyword" layout

void printLightChecks(vexl::CFields &a_tRoot) {
    vexl::CFields &l_tKeyword = a_tRoot["keyword"];
    std::printf("keyword::fix   pkt_Check4OneSelf(false)  : %s\n",
                okOrNg(l_tKeyword["fix"].pkt_Check4OneSelf(false)));
    std::printf("keyword::valid pkt_Check4OneSelf(true)   : %s\n",
                okOrNg(a_tRoot["keyword"]["valid"].pkt_Check4OneSelf(true)));
    std::printf("root           pkt_Check4Children(false) : %s\n", okOrNg(a_tRoot.pkt_Check4Children(false)));
    std::printf("root           pkt_Check4Children(true)  : %s\n", okOrNg(a_tRoot.pkt_Check4Children(true)));
}

void printRootLengths(const vexl::CFields &a_tRoot, bool a_bKeywords) {
    printLength(a_bKeywords ? "root pkt_Len4OneSelf(true)  " : "root pkt_Len4OneSelf(false) ", a_tRoot,
                a_tRoot.pkt_Len4OneSelf(a_bKeywords));
    printLength(a_bKeywords ? "root pkt_Len4Children(true) " : "root pkt_Len4Children(false)", a_tRoot,
                a_tRoot.pkt_Len4Children(a_bKeywords));
}

void makeParseCheck(vexl::CFields &a_tRoot) {
    printSeparator(30);
    const std::string l_strPacket = a_tRoot.pkt_Make4Children(true);
    std::printf("pkt_Make4Children(true) : [%03u] '", unsigned(l_strPacket.size()));
    printBytes(l_strPacket);
    std::puts("'");
    const int l_nParsed = a_tRoot.pkt_Parse4Children(l_strPacket.data(), unsigned(l_strPacket.size()), true);
    std::printf("pkt_Parse4Children(true) : [packet=%03u, result=%d(%s)]\n", unsigned(l_strPacket.size()),
                l_nParsed, okOrNg(l_nParsed == 0));
    printRootLengths(a_tRoot, false);
    std::printf("pkt_DetailCheck4Children() = %d\n",
                int(a_tRoot.pkt_DetailCheck4Children(l_strPacket.data(), unsigned(l_strPacket.size()))));
}

void keywordLayout(vexl::CFields &a_tRoot) {
    printSeparator(41);
    printLightChecks(a_tRoot);
    printSeparator(30);
    printRootLengths(a_tRoot, false);

    vexl::CFields &l_tKeyword = a_tRoot["keyword"];
    l_tKeyword["valid"] = "000";
    std::printf("keyword::valid VK = %s\n", vexl::VALUE_KIND_NAMES[l_tKeyword["valid"].getVK()]);
    l_tKeyword["sizeset_"] = "123456789012345678901234567890";
    makeParseCheck(a_tRoot);

    printSeparator(41);
    a_tRoot["keyword"]["fix"] = 67890;
    a_tRoot["keyword"]["valid"] = "100";
    std::printf("changed actual values for fix/valid keyword.\n");
    a_tRoot["unicode-test"] = vexl::ToUnescapeString("\\uD55C\\uAE00", false);
    printLightChecks(a_tRoot);
    printSeparator(41);
    std::string l_strText;
    displayTree(a_tRoot, "", l_strText);
}

// MARK: - The "header"/"body" layout

const char *const kHeaderMembers[] = {"stx",      "TraceNum", "PacketLen", "ServiceCode", "ExchangeType",
                                      "ReqType",  "ReqName",  "ReqIP",     "ResultCode",  "SendDate",
                                      "SendTime", "Filler",   "AGENT_ID",  "AGENT_PW"};

void printParse(const char *a_cpLabel, int a_nResult, const std::string &a_strData) {
    std::printf("%s : [packet=%03u, result=%d(%s)]\n", a_cpLabel, unsigned(a_strData.size()), a_nResult,
                okOrNg(a_nResult >= 0));
}

void printMade(const char *a_cpLabel, const std::string &a_strPacket) {
    std::printf("%s : [%03u] '", a_cpLabel, unsigned(a_strPacket.size()));
    printBytes(a_strPacket);
    std::puts("'");
}

void headerLayout(vexl::CFields &a_tRoot) {
    vexl::CFields &l_tHeader = a_tRoot["header"];
    vexl::CFields &l_tBody = a_tRoot["body"];
    printSeparator(41);
    printLength("Root   pkt_Len4OneSelf() ", a_tRoot, a_tRoot.pkt_Len4OneSelf(true));
    printLength("Root   pkt_Len4Children()", a_tRoot, a_tRoot.pkt_Len4Children(true));
    printLength("Header pkt_Len4Children()", l_tHeader, l_tHeader.pkt_Len4Children(true));
    printLength("Body   pkt_Len4Children()", l_tBody, l_tBody.pkt_Len4Children(true));

    const std::string l_strHeader = a_tRoot["samples"]["header"].asString();
    const std::string l_strBody = a_tRoot["samples"]["body"].asString();
    const std::string l_strWhole = l_strHeader + l_strBody;

    // Each header member on the sample, cut by the fields before it.
    printSeparator(30);
    size_t l_uOffset = 0;
    for (const char *l_cpMember : kHeaderMembers) {
        vexl::CFields &l_tField = l_tHeader[l_cpMember];
        const size_t l_uAt = l_uOffset < l_strHeader.size() ? l_uOffset : l_strHeader.size();
        const int l_nResult = l_tField.pkt_Parse4OneSelf(l_strHeader.data() + l_uAt,
                                                         unsigned(l_strHeader.size() - l_uAt), true);
        std::printf("%-12s pkt_Parse4OneSelf() : [rest=%03u, result=%d] ", l_cpMember,
                    unsigned(l_strHeader.size() - l_uAt), l_nResult);
        const std::string l_strValue = l_tField.asString();
        std::printf("%s\n",
                    vexl::ToQuotedEscapeString(l_strValue.data(), unsigned(l_strValue.size())).c_str());
        l_uOffset += l_tField.pkt_Len4OneSelf(false).uLength();
    }

    printSeparator(30);
    printParse("Header pkt_Parse4Children()",
               a_tRoot.pkt_Parse4Children(l_strHeader.data(), unsigned(l_strHeader.size()), true, &l_tHeader),
               l_strHeader);
    printParse("Body   pkt_Parse4Children()",
               a_tRoot.pkt_Parse4Children(l_strBody.data(), unsigned(l_strBody.size()), true, &l_tBody),
               l_strBody);
    printParse("Root   pkt_Parse4Children()",
               a_tRoot.pkt_Parse4Children(l_strWhole.data(), unsigned(l_strWhole.size()), true), l_strWhole);

    printSeparator(30);
    for (const char *l_cpMember : kHeaderMembers) {
        char l_szLabel[64];
        std::snprintf(l_szLabel, sizeof(l_szLabel), "%-12s pkt_Make4OneSelf()", l_cpMember);
        printMade(l_szLabel, l_tHeader[l_cpMember].pkt_Make4OneSelf(true));
    }
    printMade("Header pkt_Make4Children()", a_tRoot.pkt_Make4Children(true, &l_tHeader));
    printMade("Body   pkt_Make4Children()", a_tRoot.pkt_Make4Children(true, &l_tBody));
    printMade("Root   pkt_Make4Children()", a_tRoot.pkt_Make4Children(true));

    // The sample frames the request with '>' and '<'; the fixed values are STX and ETX.
    printSeparator(30);
    std::printf("Root   pkt_Check4Children(false) : %s\n", okOrNg(a_tRoot.pkt_Check4Children(false)));
    l_tHeader["stx"] = vexl::ToUnescapeString("\\x02", false);
    l_tBody["etx"] = vexl::ToUnescapeString("\\x03", false);
    std::printf("stx and etx set to 0x02 and 0x03.\n");
    std::printf("Root   pkt_Check4Children(false) : %s\n", okOrNg(a_tRoot.pkt_Check4Children(false)));
    const std::string l_strPacket = a_tRoot.pkt_Make4Children(true);
    std::printf("Root   pkt_DetailCheck4Children() = %d\n",
                int(a_tRoot.pkt_DetailCheck4Children(l_strPacket.data(), unsigned(l_strPacket.size()))));
}

} // namespace

void packetTest(vexl::CFields &root) {
    printSeparator(79);
    if (root.getID() != 0)
        std::printf("[#%u '%s' %s] Packet information testing\n", root.getID(), root.getName(),
                    typeWord(root));
    else
        std::printf("['%s' %s] Packet information testing\n", root.getName(), typeWord(root));
    if (const vexl::CFields *l_pFound = root.findID(99))
        std::printf("Found field ID(%u) = ['%s' %s]\n", l_pFound->getID(), l_pFound->getName(),
                    typeWord(*l_pFound));

    if (root.isValidChild("header"))
        headerLayout(root);
    else if (root.getDT() == vexl::DT_fields)
        keywordLayout(root);
}

} // namespace demo
