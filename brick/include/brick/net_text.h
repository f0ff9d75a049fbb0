#pragma once

#include <cstdint>

#include "brick/brick_export.h"

/// Network values and their texts: IPv4 and MAC addresses, protocol names,
/// hexadecimal-to-BCD packing.  Stateless; failures are answered with an
/// empty text, 0 or the failure value named below.  Nothing throws.
/// Thread use: any thread.
namespace brick {

/// Writes an IPv4 address held as a host-order number (top byte = first
/// octet) as "%u.%u.%u.%u".  \param a_uiAddress the address.  \param a_cpOut at least 16 bytes.
/// \returns a_cpOut (null for null out).  IPtoStr(0xC0A80001, out) writes 192.168.0.1.
BRICK_API char *IPtoStr(uint32_t a_uiAddress, char *a_cpOut);

/// Address of a dotted text or a host name, in network byte order.  A text
/// starting with an ASCII letter is a host name: it is resolved (this may
/// block) and its first IPv4 address is used.  Otherwise the text is parsed
/// by inet_addr (forms a, a.b, a.b.c, a.b.c.d; octal and hexadecimal parts).
/// \returns 0 for null text or a failed lookup; 0xFFFFFFFF for text inet_addr rejects.
BRICK_API uint32_t StrtoIP(const char *a_cpText);

/// The four bytes at a_cpBytes as one number, in memory order; 0 for null.
BRICK_API uint32_t IPtoDWORD(const char *a_cpBytes);

/// The value with its four bytes reversed: flipIP(0x01020304) is 0x04030201.
BRICK_API uint32_t flipIP(uint32_t a_uiValue);

/// Writes 1 to 8 bytes as upper-case hexadecimal pairs joined by ':'
/// ("00:1A:2B:3C:4D:5E"); any other count, or null bytes, writes an empty text.
/// \param a_pBytes the bytes.  \param a_ucCount their number, 1 to 8.
/// \param a_cpOut at least 24 bytes.  \returns a_cpOut (null for null out).
BRICK_API char *MACtoStr(const unsigned char *a_pBytes, unsigned char a_ucCount, char *a_cpOut);

/// Reads "%hhX:%hhX:%hhX:%hhX:%hhX:%hhX" into six bytes of a_pOut when the
/// count is 6 (bytes after a parse failure keep their value).  A null text or
/// a count of 0 clears six bytes of a non-null a_pOut; any other count leaves
/// it unchanged.  a_pOut always needs six bytes.
BRICK_API void StrtoMAC(const char *a_cpText, unsigned char *a_pOut, unsigned char a_ucCount);

/// Name of an Ethernet type: "IPX" below 1500 (802.3 lengths), "XNS1",
/// "IP", "ARP1", "XNS2", "TRLR0"-"TRLR5", "NBP0"-"NBP10", "RARP", "ATLAP",
/// "IBM_RT", "ATARP", "IPX", "SNMP", "LOOP", "NETMAP1", "NETMAP2"; an empty
/// text for any other type.  Every name function writes at most 13 bytes
/// with its NUL and ignores a null out.
BRICK_API void EtherTypeToStr(unsigned short a_usType, char *a_cpOut);

/// As above, but type 0x0800 gives the name of the IP protocol
/// (`IP_TypeToStr`), and a type without a name gives "%04X".
/// EtherTypeToStr(0x0800, 6, out) writes "TCP"; (0x1234, 0, out) writes "1234".
BRICK_API void EtherTypeToStr(unsigned short a_usType, unsigned char a_ucIPProtocol, char *a_cpOut);

/// Name of an IP protocol number ("HOP", "ICMP", "IGMP", "GGP", "IPV4",
/// "TCP", "PUP", "UDP", "IDP", "IPV6", "ROUT", "FRAG", "ESP", "AH", "ICMPV6",
/// "NONE", "DST", "ND", "ICLFXBM", "RAW"); unknown numbers as "%02X".
BRICK_API void IP_TypeToStr(unsigned char a_ucProtocol, char *a_cpOut);

/// Name of an IPX packet type: "RIP", "Echo", "Error", "PEP", "SPX", "NCP",
/// "EXP" (16 and 18 to 31), otherwise "Unknown".
BRICK_API void IPX_TypeToStr(unsigned char a_ucType, char *a_cpOut);

/// Name of an IPX socket ("RIP", "Echo", "Error", "NCP", "SAP", "NetBios",
/// "Diag", "Serial", "Dynamic", "IPX", "TCP", "UDP", "IPXF", "EXP" for 32 to
/// 63); an empty text for any other socket.
BRICK_API void IPX_GetSocket(uint16_t a_usSocket, char *a_cpOut);

/// 1 "Reply", 2 "Forward Data", anything else "Unknown".
BRICK_API void CTP_FuncToStr(uint16_t a_usFunction, char *a_cpOut);

/// Value 0 to 15 of a hexadecimal digit; 0 for any other character.
BRICK_API unsigned char HexASC2BCD(char a_cDigit);

/// Packs hexadecimal digits two per byte, high nibble first.
///
/// All of a_cpOut is first filled with a_cFill; digits are read up to
/// a_uiHexLen or the first non-digit.  The last byte of a_cpOut is never
/// written, and an odd digit count leaves the last digit in a high nibble.
/// \returns (index where reading stopped) / 2 + 1; 0 for bad arguments or
///          when the first character is not a digit.
/// "1234" into 4 bytes with fill 0xFF gives 12 34 FF FF and returns 3.
BRICK_API int HexStr2BCD(const char *a_cpHex, unsigned a_uiHexLen, char *a_cpOut, unsigned a_uiOutLen,
                         char a_cFill);

} // namespace brick
