// The human-friendly writers: to a string and to a stream. Both run the layout engine of
// hfw_writer.cpp.

#include <ostream>

#include "saver/hfw_writer.h"
#include "vexl/savers.h"

namespace vexl {

// MARK: - String writer (Public)

CSaver4SER_HFW::CSaver4SER_HFW(unsigned int indentSize) : m_uiIndentSize(indentSize) {}

CSaver4SER_HFW::~CSaver4SER_HFW() = default;

std::string CSaver4SER_HFW::saving(const CFields &root, unsigned char sis, const char * /*password*/) {
    // The document is handed over; the next call starts with room for one of the same size.
    m_strOutput.clear();
    detail::CHfwWriter(*this).run(root, sis);
    std::string l_strDoc = std::move(m_strOutput);
    m_strOutput = std::string();
    // Slack beyond the last size: writers reserve an item's worst case before writing it, and a
    // reallocation near the end would copy the whole document.
    m_strOutput.reserve(l_strDoc.size() + l_strDoc.size() / 16 + 4096);
    return l_strDoc;
}

// MARK: - Stream writer (Public)

CStreamSaver4SER_HFW::CStreamSaver4SER_HFW(std::string indentUnit) : m_strIndentUnit(std::move(indentUnit)) {}

CStreamSaver4SER_HFW::~CStreamSaver4SER_HFW() = default;

void CStreamSaver4SER_HFW::saving(std::ostream &out, const CFields &root, unsigned char sis,
                                  const char * /*password*/) {
    m_pOut = &out;
    detail::CHfwWriter(*this, out).run(root, sis);
    m_pOut = nullptr;
}

} // namespace vexl
