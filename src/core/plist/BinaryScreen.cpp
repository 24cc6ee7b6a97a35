#include "plist/PropertyList.h"
#include "plist/PropertyListScreen.h"

#include <cstring>
#include <limits>
#include <vector>

namespace vantrel::plistscreen {

namespace {

std::uint64_t readBigEndian(const unsigned char* p, int size)
{
    std::uint64_t value = 0;
    for (int i = 0; i < size; ++i) {
        value = (value << 8) | p[i];
    }
    return value;
}

bool binaryDateFits(const unsigned char* bigEndianDouble)
{
    const std::uint64_t bits = readBigEndian(bigEndianDouble, 8);
    double seconds = 0;
    std::memcpy(&seconds, &bits, sizeof seconds);
    return dateFits(seconds);
}

// Walks a binary property list's object graph without recursion: every reference in
// range, no cycles, no string with a NUL, nesting within maxDepth and the fully expanded
// tree within maxExpandedNodes.
class BinaryScreen {
public:
    explicit BinaryScreen(const QByteArray& data)
        : m_data(reinterpret_cast<const unsigned char*>(data.constData()))
        , m_size(std::uint64_t(data.size()))
    {
    }

    bool acceptable()
    {
        if (m_size < 8 + 32) {
            return false;
        }
        const unsigned char* trailer = m_data + m_size - 32;
        m_offsetSize = trailer[6];
        m_refSize = trailer[7];
        m_count = readBigEndian(trailer + 8, 8);
        const std::uint64_t top = readBigEndian(trailer + 16, 8);
        m_tableOffset = readBigEndian(trailer + 24, 8);
        auto validSize = [](int s) { return s == 1 || s == 2 || s == 4 || s == 8; };
        if (!validSize(m_offsetSize) || !validSize(m_refSize) || m_count == 0 || top >= m_count || m_tableOffset < 8
            || m_tableOffset >= m_size - 32 || m_count > (m_size - 32 - m_tableOffset) / std::uint64_t(m_offsetSize)) {
            return false;
        }
        m_nodes.assign(std::size_t(m_count), Node{});
        return visit(top);
    }

private:
    struct Node {
        std::uint8_t state = 0; // 0 unseen, 1 on the walk's stack, 2 done
        std::uint32_t height = 0;
        std::uint64_t expanded = 0;
    };

    struct Frame {
        std::uint64_t index;
        std::vector<std::uint64_t> children;
        std::size_t next = 0;
        std::uint32_t height = 0;
        std::uint64_t expanded = 1;
    };

    std::optional<std::uint64_t> objectOffset(std::uint64_t index) const
    {
        const std::uint64_t offset =
            readBigEndian(m_data + m_tableOffset + index * std::uint64_t(m_offsetSize), m_offsetSize);
        if (offset < 8 || offset >= m_tableOffset) {
            return std::nullopt;
        }
        return offset;
    }

    // Length of a variable-size object: the marker's low nibble, or an integer after it.
    bool lengthAt(std::uint64_t& cursor, unsigned nibble, std::uint64_t& length) const
    {
        if (nibble != 0xF) {
            length = nibble;
            return true;
        }
        if (cursor >= m_tableOffset) {
            return false;
        }
        const unsigned char marker = m_data[cursor++];
        if ((marker & 0xF0) != 0x10 || (marker & 0x0F) > 3) {
            return false;
        }
        const int size = 1 << (marker & 0x0F);
        if (cursor + std::uint64_t(size) > m_tableOffset) {
            return false;
        }
        length = readBigEndian(m_data + cursor, size);
        cursor += std::uint64_t(size);
        return true;
    }

    bool fits(std::uint64_t cursor, std::uint64_t length, std::uint64_t unit = 1) const
    {
        return length <= (m_tableOffset - cursor) / unit;
    }

    // Checks one object's bytes and collects the objects it refers to.
    bool inspect(std::uint64_t index, std::vector<std::uint64_t>& children) const
    {
        auto offset = objectOffset(index);
        if (!offset) {
            return false;
        }
        std::uint64_t cursor = *offset;
        const unsigned char marker = m_data[cursor++];
        const unsigned type = marker >> 4;
        const unsigned nibble = marker & 0x0F;
        std::uint64_t length = 0;
        switch (type) {
        case 0x0:
            return marker == 0x00 || marker == 0x08 || marker == 0x09 || marker == 0x0F;
        case 0x1:
        case 0x2:
            return nibble <= 4 && fits(cursor, std::uint64_t(1) << nibble);
        case 0x3:
            return marker == 0x33 && fits(cursor, 8) && binaryDateFits(m_data + cursor);
        case 0x4:
            return lengthAt(cursor, nibble, length) && fits(cursor, length);
        case 0x5:
            return lengthAt(cursor, nibble, length) && fits(cursor, length)
                   && std::memchr(m_data + cursor, 0, std::size_t(length)) == nullptr;
        case 0x6: {
            if (!lengthAt(cursor, nibble, length) || !fits(cursor, length, 2)) {
                return false;
            }
            for (std::uint64_t i = 0; i < length; ++i) {
                if (m_data[cursor + 2 * i] == 0 && m_data[cursor + 2 * i + 1] == 0) {
                    return false;
                }
            }
            return true;
        }
        case 0x8:
            return fits(cursor, nibble + 1);
        case 0xA:
        case 0xC:
        case 0xD: {
            if (!lengthAt(cursor, nibble, length)) {
                return false;
            }
            // Every reference takes at least a byte; checked first so that doubling a
            // dictionary's count cannot wrap. One object may be referred to many times.
            if (!fits(cursor, length)) {
                return false;
            }
            const std::uint64_t refs = type == 0xD ? length * 2 : length;
            if (!fits(cursor, refs, std::uint64_t(m_refSize))) {
                return false;
            }
            children.reserve(std::size_t(refs));
            for (std::uint64_t i = 0; i < refs; ++i) {
                const std::uint64_t ref = readBigEndian(m_data + cursor + i * std::uint64_t(m_refSize), m_refSize);
                if (ref >= m_count) {
                    return false;
                }
                children.push_back(ref);
            }
            return true;
        }
        default:
            return false;
        }
    }

    bool visit(std::uint64_t top)
    {
        std::vector<Frame> stack;
        auto push = [&](std::uint64_t index) {
            Frame frame{index, {}};
            if (!inspect(index, frame.children)) {
                return false;
            }
            m_nodes[std::size_t(index)].state = 1;
            stack.push_back(std::move(frame));
            return std::uint32_t(stack.size()) <= std::uint32_t(PropertyList::maxDepth) + 1;
        };
        if (!push(top)) {
            return false;
        }
        while (!stack.empty()) {
            Frame& frame = stack.back();
            if (frame.next < frame.children.size()) {
                const std::uint64_t child = frame.children[frame.next++];
                Node& node = m_nodes[std::size_t(child)];
                if (node.state == 1) {
                    return false; // a cycle
                }
                if (node.state == 2) {
                    frame.height = std::max(frame.height, node.height);
                    frame.expanded += node.expanded;
                    if (frame.expanded > maxExpandedNodes) {
                        return false;
                    }
                    continue;
                }
                if (!push(child)) {
                    return false;
                }
                continue;
            }
            Node& done = m_nodes[std::size_t(frame.index)];
            done.state = 2;
            done.height = frame.height + 1;
            done.expanded = frame.expanded;
            stack.pop_back();
            if (!stack.empty()) {
                Frame& parent = stack.back();
                parent.height = std::max(parent.height, done.height);
                parent.expanded += done.expanded;
                if (parent.expanded > maxExpandedNodes) {
                    return false;
                }
            }
        }
        return m_nodes[std::size_t(top)].height <= std::uint32_t(PropertyList::maxDepth) + 1;
    }

    const unsigned char* m_data;
    std::uint64_t m_size;
    int m_offsetSize = 0;
    int m_refSize = 0;
    std::uint64_t m_count = 0;
    std::uint64_t m_tableOffset = 0;
    std::vector<Node> m_nodes;
};

} // namespace

bool binaryAcceptable(const QByteArray& data)
{
    return BinaryScreen(data).acceptable();
}

} // namespace vantrel::plistscreen
