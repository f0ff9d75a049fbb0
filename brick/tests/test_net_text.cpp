#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netdb.h>

#include <cstring>
#include <string>
#include <utility>

#include "brick/net_text.h"

using namespace brick;

TEST(NetText, AddressesToTextAndBack) {
    char l_szOut[24];
    EXPECT_STREQ(IPtoStr(0xC0A80001U, l_szOut), "192.168.0.1");
    EXPECT_STREQ(IPtoStr(0xFFFFFFFFU, l_szOut), "255.255.255.255");
    EXPECT_EQ(IPtoStr(1, nullptr), nullptr);
    EXPECT_EQ(flipIP(0x01020304U), 0x04030201U);
    EXPECT_EQ(IPtoDWORD("\x01\x02\x03\x04"), 0x04030201U); // memory order on this host
    EXPECT_EQ(IPtoDWORD(nullptr), 0U);

    EXPECT_EQ(StrtoIP("192.168.0.1"), inet_addr("192.168.0.1"));
    EXPECT_EQ(StrtoIP("10.1"), inet_addr("10.0.0.1"));
    EXPECT_EQ(StrtoIP("1.2.3.256"), 0xFFFFFFFFU);
    EXPECT_EQ(StrtoIP(nullptr), 0U);
    EXPECT_EQ(StrtoIP("no-such-host.invalid"), 0U);
    addrinfo l_hints{};
    l_hints.ai_family = AF_INET;
    addrinfo *l_pRes = nullptr;
    if (getaddrinfo("localhost", nullptr, &l_hints, &l_pRes) == 0) {
        const auto *l_pIn = reinterpret_cast<const sockaddr_in *>(l_pRes->ai_addr);
        EXPECT_EQ(StrtoIP("localhost"), l_pIn->sin_addr.s_addr);
        freeaddrinfo(l_pRes);
    }
}

TEST(NetText, MacAddresses) {
    const unsigned char l_mac[8] = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E, 0x6F, 0x70};
    char l_szOut[24] = "x";
    EXPECT_STREQ(MACtoStr(l_mac, 6, l_szOut), "00:1A:2B:3C:4D:5E");
    EXPECT_STREQ(MACtoStr(l_mac, 8, l_szOut), "00:1A:2B:3C:4D:5E:6F:70");
    EXPECT_STREQ(MACtoStr(l_mac, 1, l_szOut), "00");
    EXPECT_STREQ(MACtoStr(l_mac, 9, l_szOut), "");
    EXPECT_STREQ(MACtoStr(l_mac, 0, l_szOut), "");

    unsigned char l_out[6] = {9, 9, 9, 9, 9, 9};
    StrtoMAC("00:1a:2B:3c:4D:FF", l_out, 6);
    EXPECT_EQ(std::memcmp(l_out, "\x00\x1A\x2B\x3C\x4D\xFF", 6), 0);
    StrtoMAC("01:02", l_out, 6); // bytes after the failure keep their value
    EXPECT_EQ(std::memcmp(l_out, "\x01\x02\x2B\x3C\x4D\xFF", 6), 0);
    StrtoMAC("01:02:03:04:05:06", l_out, 4);
    EXPECT_EQ(l_out[0], 0x01);
    StrtoMAC("01:02:03:04:05:06", l_out, 0);
    EXPECT_EQ(std::memcmp(l_out, "\0\0\0\0\0\0", 6), 0);
    l_out[3] = 7;
    StrtoMAC(nullptr, l_out, 6);
    EXPECT_EQ(l_out[3], 0);
}

TEST(NetText, ProtocolNameTables) {
    char l_szOut[13];
    struct {
        unsigned short usType;
        const char *cpName;
    } const l_ether[] = {{100, "IPX"},        {1499, "IPX"},     {0x0600, "XNS1"},   {0x0800, "IP"},
                         {0x0806, "ARP1"},    {0x0807, "XNS2"},  {0x1000, "TRLR0"},  {0x1005, "TRLR5"},
                         {0x1006, ""},        {0x3C00, "NBP0"},  {0x3C0A, "NBP10"},  {0x3C0B, ""},
                         {0x8035, "RARP"},    {0x809B, "ATLAP"}, {0x80D5, "IBM_RT"}, {0x80F3, "ATARP"},
                         {0x8137, "IPX"},     {0x814C, "SNMP"},  {0x9000, "LOOP"},   {0x9001, "NETMAP1"},
                         {0x9002, "NETMAP2"}, {1500, ""},        {0x1234, ""}};
    for (const auto &l_e : l_ether) {
        EtherTypeToStr(l_e.usType, l_szOut);
        EXPECT_STREQ(l_szOut, l_e.cpName) << std::hex << l_e.usType;
    }
    EtherTypeToStr(0x0800, 6, l_szOut);
    EXPECT_STREQ(l_szOut, "TCP");
    EtherTypeToStr(0x0800, 200, l_szOut);
    EXPECT_STREQ(l_szOut, "C8");
    EtherTypeToStr(0x1234, 6, l_szOut);
    EXPECT_STREQ(l_szOut, "1234");
    EtherTypeToStr(100, 6, l_szOut);
    EXPECT_STREQ(l_szOut, "IPX");
    EtherTypeToStr(0x9001, 0, l_szOut);
    EXPECT_STREQ(l_szOut, "NETMAP1");

    const char *l_ip[256] = {};
    const std::pair<int, const char *> l_known[] = {
        {0, "HOP"},     {1, "ICMP"},  {2, "IGMP"},  {3, "GGP"},   {4, "IPV4"},     {6, "TCP"},  {12, "PUP"},
        {17, "UDP"},    {22, "IDP"},  {41, "IPV6"}, {43, "ROUT"}, {44, "FRAG"},    {50, "ESP"}, {51, "AH"},
        {58, "ICMPV6"}, {59, "NONE"}, {60, "DST"},  {77, "ND"},   {78, "ICLFXBM"}, {255, "RAW"}};
    for (const auto &l_k : l_known) {
        l_ip[l_k.first] = l_k.second;
    }
    for (int i = 0; i < 256; ++i) {
        IP_TypeToStr(static_cast<unsigned char>(i), l_szOut);
        char l_szHex[3];
        std::snprintf(l_szHex, sizeof l_szHex, "%02X", i);
        EXPECT_STREQ(l_szOut, l_ip[i] != nullptr ? l_ip[i] : l_szHex) << i;
    }

    const char *const l_ipx[] = {"Unknown", "RIP", "Echo", "Error", "PEP", "SPX", "Unknown"};
    for (int i = 0; i <= 6; ++i) {
        IPX_TypeToStr(static_cast<unsigned char>(i), l_szOut);
        EXPECT_STREQ(l_szOut, l_ipx[i]);
    }
    for (int i : {16, 18, 31}) {
        IPX_TypeToStr(static_cast<unsigned char>(i), l_szOut);
        EXPECT_STREQ(l_szOut, "EXP");
    }
    for (int i : {15, 32}) {
        IPX_TypeToStr(static_cast<unsigned char>(i), l_szOut);
        EXPECT_STREQ(l_szOut, "Unknown");
    }
    IPX_TypeToStr(17, l_szOut);
    EXPECT_STREQ(l_szOut, "NCP");

    struct {
        uint16_t usSocket;
        const char *cpName;
    } const l_sockets[] = {{1, "RIP"},          {0x0453, "RIP"},  {2, "Echo"},
                           {3, "Error"},        {0x0451, "NCP"},  {0x0452, "SAP"},
                           {0x0455, "NetBios"}, {0x0456, "Diag"}, {0x0457, "Serial"},
                           {0x0BB9, "Dynamic"}, {0x8060, "IPX"},  {0x9091, "TCP"},
                           {0x9092, "UDP"},     {0x9093, "IPXF"}, {32, "EXP"},
                           {63, "EXP"},         {64, ""},         {4, ""}};
    for (const auto &l_s : l_sockets) {
        IPX_GetSocket(l_s.usSocket, l_szOut);
        EXPECT_STREQ(l_szOut, l_s.cpName) << l_s.usSocket;
    }
    CTP_FuncToStr(1, l_szOut);
    EXPECT_STREQ(l_szOut, "Reply");
    CTP_FuncToStr(2, l_szOut);
    EXPECT_STREQ(l_szOut, "Forward Data");
    CTP_FuncToStr(3, l_szOut);
    EXPECT_STREQ(l_szOut, "Unknown");
    CTP_FuncToStr(1, nullptr); // ignored
}

TEST(NetText, HexToBcd) {
    EXPECT_EQ(HexASC2BCD('7'), 7);
    EXPECT_EQ(HexASC2BCD('b'), 11);
    EXPECT_EQ(HexASC2BCD('F'), 15);
    EXPECT_EQ(HexASC2BCD('g'), 0);

    char l_out[4];
    EXPECT_EQ(HexStr2BCD("1234", 4, l_out, 4, '\xFF'), 3);
    EXPECT_EQ(std::memcmp(l_out, "\x12\x34\xFF\xFF", 4), 0);
    // An odd count leaves the last digit in a high nibble.
    EXPECT_EQ(HexStr2BCD("abc", 3, l_out, 4, 0), 2);
    EXPECT_EQ(std::memcmp(l_out, "\xAB\xC0\x00\x00", 4), 0);
    // The last byte of out is never written.
    EXPECT_EQ(HexStr2BCD("123456", 6, l_out, 2, 'x'), 2);
    EXPECT_EQ(std::memcmp(l_out, "\x12x", 2), 0);
    // Reading stops at the first non-digit (here the NUL of a short text).
    EXPECT_EQ(HexStr2BCD("12", 50, l_out, 4, 0), 2);
    EXPECT_EQ(HexStr2BCD("x1", 2, l_out, 4, 0), 0);
    EXPECT_EQ(HexStr2BCD(nullptr, 2, l_out, 4, 0), 0);
    EXPECT_EQ(HexStr2BCD("12", 2, l_out, 0, 0), 0);
}
