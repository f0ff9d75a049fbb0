#include <cstdio>
#include <cstring>

#include "brick/net_text.h"

namespace brick {

namespace {

/// Largest name with its NUL ("Forward Data"); the callers' buffers hold it.
constexpr std::size_t kNameSize = 13;

void put(char *a_cpOut, const char *a_cpName) {
    std::snprintf(a_cpOut, kNameSize, "%s", a_cpName);
}

/// Table 1; null for a type of 1500 or more that has no name.
const char *etherName(unsigned short a_usType, char *a_cpNumbered) {
    if (a_usType < 1500) {
        return "IPX"; // an 802.3 length field
    }
    if (a_usType >= 0x1000 && a_usType <= 0x1005) {
        std::snprintf(a_cpNumbered, kNameSize, "TRLR%d", a_usType - 0x1000);
        return a_cpNumbered;
    }
    if (a_usType >= 0x3C00 && a_usType <= 0x3C0A) {
        std::snprintf(a_cpNumbered, kNameSize, "NBP%d", a_usType - 0x3C00);
        return a_cpNumbered;
    }
    switch (a_usType) {
    case 0x0600:
        return "XNS1";
    case 0x0800:
        return "IP";
    case 0x0806:
        return "ARP1";
    case 0x0807:
        return "XNS2";
    case 0x8035:
        return "RARP";
    case 0x809B:
        return "ATLAP";
    case 0x80D5:
        return "IBM_RT";
    case 0x80F3:
        return "ATARP";
    case 0x8137:
        return "IPX";
    case 0x814C:
        return "SNMP";
    case 0x9000:
        return "LOOP";
    case 0x9001:
        return "NETMAP1";
    case 0x9002:
        return "NETMAP2";
    default:
        return nullptr;
    }
}

/// Table 2; null for an unknown protocol.
const char *ipName(unsigned char a_ucProtocol) {
    switch (a_ucProtocol) {
    case 0:
        return "HOP";
    case 1:
        return "ICMP";
    case 2:
        return "IGMP";
    case 3:
        return "GGP";
    case 4:
        return "IPV4";
    case 6:
        return "TCP";
    case 12:
        return "PUP";
    case 17:
        return "UDP";
    case 22:
        return "IDP";
    case 41:
        return "IPV6";
    case 43:
        return "ROUT";
    case 44:
        return "FRAG";
    case 50:
        return "ESP";
    case 51:
        return "AH";
    case 58:
        return "ICMPV6";
    case 59:
        return "NONE";
    case 60:
        return "DST";
    case 77:
        return "ND";
    case 78:
        return "ICLFXBM";
    case 255:
        return "RAW";
    default:
        return nullptr;
    }
}

} // namespace

void EtherTypeToStr(unsigned short a_usType, char *a_cpOut) {
    if (a_cpOut == nullptr) {
        return;
    }
    char l_szNumbered[kNameSize];
    const char *l_cpName = etherName(a_usType, l_szNumbered);
    put(a_cpOut, l_cpName != nullptr ? l_cpName : "");
}

void EtherTypeToStr(unsigned short a_usType, unsigned char a_ucIPProtocol, char *a_cpOut) {
    if (a_cpOut == nullptr) {
        return;
    }
    if (a_usType == 0x0800) {
        IP_TypeToStr(a_ucIPProtocol, a_cpOut);
        return;
    }
    char l_szNumbered[kNameSize];
    const char *l_cpName = etherName(a_usType, l_szNumbered);
    if (l_cpName != nullptr) {
        put(a_cpOut, l_cpName);
    } else {
        std::snprintf(a_cpOut, kNameSize, "%04X", static_cast<unsigned>(a_usType));
    }
}

void IP_TypeToStr(unsigned char a_ucProtocol, char *a_cpOut) {
    if (a_cpOut == nullptr) {
        return;
    }
    const char *l_cpName = ipName(a_ucProtocol);
    if (l_cpName != nullptr) {
        put(a_cpOut, l_cpName);
    } else {
        std::snprintf(a_cpOut, kNameSize, "%02X", static_cast<unsigned>(a_ucProtocol));
    }
}

void IPX_TypeToStr(unsigned char a_ucType, char *a_cpOut) {
    if (a_cpOut == nullptr) {
        return;
    }
    const char *l_cpName = "Unknown";
    switch (a_ucType) {
    case 1:
        l_cpName = "RIP";
        break;
    case 2:
        l_cpName = "Echo";
        break;
    case 3:
        l_cpName = "Error";
        break;
    case 4:
        l_cpName = "PEP";
        break;
    case 5:
        l_cpName = "SPX";
        break;
    case 17:
        l_cpName = "NCP";
        break;
    default:
        if (a_ucType == 16 || (a_ucType >= 18 && a_ucType <= 31)) {
            l_cpName = "EXP";
        }
        break;
    }
    put(a_cpOut, l_cpName);
}

void IPX_GetSocket(uint16_t a_usSocket, char *a_cpOut) {
    if (a_cpOut == nullptr) {
        return;
    }
    const char *l_cpName = "";
    switch (a_usSocket) {
    case 0x0001:
    case 0x0453:
        l_cpName = "RIP";
        break;
    case 0x0002:
        l_cpName = "Echo";
        break;
    case 0x0003:
        l_cpName = "Error";
        break;
    case 0x0451:
        l_cpName = "NCP";
        break;
    case 0x0452:
        l_cpName = "SAP";
        break;
    case 0x0455:
        l_cpName = "NetBios";
        break;
    case 0x0456:
        l_cpName = "Diag";
        break;
    case 0x0457:
        l_cpName = "Serial";
        break;
    case 0x0BB9:
        l_cpName = "Dynamic";
        break;
    case 0x8060:
        l_cpName = "IPX";
        break;
    case 0x9091:
        l_cpName = "TCP";
        break;
    case 0x9092:
        l_cpName = "UDP";
        break;
    case 0x9093:
        l_cpName = "IPXF";
        break;
    default:
        if (a_usSocket >= 32 && a_usSocket <= 63) {
            l_cpName = "EXP";
        }
        break;
    }
    put(a_cpOut, l_cpName);
}

void CTP_FuncToStr(uint16_t a_usFunction, char *a_cpOut) {
    if (a_cpOut == nullptr) {
        return;
    }
    put(a_cpOut, a_usFunction == 1 ? "Reply" : a_usFunction == 2 ? "Forward Data" : "Unknown");
}

} // namespace brick
