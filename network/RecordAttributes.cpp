#include "network/RecordAttributes.h"

#include "text/GbkText.h"

#include <QByteArray>
#include <QDataStream>
#include <QString>

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>
#include <unordered_map>
#include <utility>

namespace {
// Each value starts with one of these; lengths are unsigned LEB128.
enum Tag : unsigned char {
    Invalid,      // QVariant()
    Null,         // a null value of a built-in type: then the type as a length
    Double,       // 8 bytes
    DoubleMember, // the record's number member: then its index
    LongLong,     // 8 bytes
    Int,          // 4 bytes
    Latin1,       // a string of units below 0x100: length, one byte each
    Utf16,        // any other string: length, two bytes each
    TextMember,   // the record's text member, which holds the string in GBK: then its index
    Bytes,        // QByteArray: length, bytes
    Streamed,     // anything else, as QDataStream writes it: length, bytes
};

void appendLength(std::string& bytes, std::size_t n) {
    do {
        unsigned char byte = n & 0x7f;
        n >>= 7;
        bytes.push_back(static_cast<char>(n ? byte | 0x80 : byte));
    } while (n);
}

template <class T> void appendRaw(std::string& bytes, const T& value) {
    char raw[sizeof value];
    std::memcpy(raw, &value, sizeof value);
    bytes.append(raw, sizeof value);
}

// Reads the values of a record's block; the block was written by this file, so only
// its own length is checked.
struct Reader {
    const unsigned char* at;
    const unsigned char* end;

    std::size_t length() {
        std::size_t n = 0;
        for (int shift = 0; at < end; shift += 7) {
            unsigned char byte = *at++;
            n |= static_cast<std::size_t>(byte & 0x7f) << shift;
            if (!(byte & 0x80))
                break;
        }
        return n;
    }
    template <class T> T raw() {
        T value{};
        std::memcpy(&value, at, sizeof value);
        at += sizeof value;
        return value;
    }
    void skip() {
        switch (static_cast<Tag>(*at++)) {
        case Invalid:
            return;
        case Null:
        case DoubleMember:
        case TextMember:
            length();
            return;
        case Double:
        case LongLong:
            at += 8;
            return;
        case Int:
            at += 4;
            return;
        case Utf16:
            at += 2 * length();
            return;
        case Latin1:
        case Bytes:
        case Streamed:
            at += length();
            return;
        }
    }
};
} // namespace

AttributeColumns::AttributeColumns(std::vector<Column> columns_) : all(std::move(columns_)) {
    std::vector<int> lastOfMember;
    for (std::size_t i = 0; i < all.size(); ++i) {
        Column& column = all[i];
        if (std::find(names.begin(), names.end(), column.name) == names.end()) {
            column.stored = static_cast<int>(names.size());
            names.push_back(column.name);
        }
        if (column.member >= 0) {
            while (lastOfMember.size() <= static_cast<std::size_t>(column.member))
                lastOfMember.push_back(-1);
            lastOfMember[static_cast<std::size_t>(column.member)] = static_cast<int>(i);
        }
    }
    for (std::size_t i = 0; i < all.size(); ++i) {
        Column& column = all[i];
        column.mayReferToMember =
            column.stored >= 0 && column.member >= 0 &&
            lastOfMember[static_cast<std::size_t>(column.member)] == static_cast<int>(i);
    }
    sorted.resize(names.size());
    for (std::size_t i = 0; i < sorted.size(); ++i)
        sorted[i] = static_cast<int>(i);
    std::sort(sorted.begin(), sorted.end(), [&](int a, int b) {
        return names[static_cast<std::size_t>(a)] < names[static_cast<std::size_t>(b)];
    });
}

int AttributeColumns::find(const std::string& name) const {
    auto at = std::lower_bound(sorted.begin(), sorted.end(), name,
                               [&](int stored, const std::string& n) { return nameAt(stored) < n; });
    return at != sorted.end() && nameAt(*at) == name ? *at : -1;
}

struct AttributePool::Blocks {
    // Values longer than this, and rows after this many different ones, are not pooled.
    static constexpr std::size_t LongestValues = 256, MostBlocks = 4096;
    std::unordered_map<std::string, AttributeStore::Block*> byBytes;
};

AttributePool::AttributePool() : blocks(new Blocks) {}

AttributePool::~AttributePool() {
    for (auto& entry : blocks->byBytes)
        AttributeStore::release(entry.second);
}

AttributeStore::AttributeStore(const AttributeStore& other) : block(other.block) {
    if (block)
        block->references.fetch_add(1, std::memory_order_relaxed);
}

AttributeStore::AttributeStore(AttributeStore&& other) noexcept
    : block(std::exchange(other.block, nullptr)) {}

AttributeStore& AttributeStore::operator=(const AttributeStore& other) {
    if (other.block)
        other.block->references.fetch_add(1, std::memory_order_relaxed);
    release(std::exchange(block, other.block));
    return *this;
}

AttributeStore& AttributeStore::operator=(AttributeStore&& other) noexcept {
    if (this != &other)
        release(std::exchange(block, std::exchange(other.block, nullptr)));
    return *this;
}

AttributeStore::~AttributeStore() {
    release(block);
}

AttributeStore::Block* AttributeStore::makeBlock(const std::shared_ptr<const AttributeColumns>& columns,
                                                 const std::string& bytes) {
    void* memory = ::operator new(sizeof(Block) + bytes.size());
    Block* fresh = new (memory) Block{{1}, static_cast<std::uint32_t>(bytes.size()), columns};
    std::memcpy(static_cast<char*>(memory) + sizeof(Block), bytes.data(), bytes.size());
    return fresh;
}

void AttributeStore::release(Block* block) {
    if (block && block->references.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        block->~Block();
        ::operator delete(block);
    }
}

void AttributeStore::assign(const std::shared_ptr<const AttributeColumns>& columns, const std::string& bytes,
                            AttributePool* pool) {
    Block* fresh = nullptr;
    if (pool && bytes.size() <= AttributePool::Blocks::LongestValues) {
        auto& byBytes = pool->blocks->byBytes;
        auto found = byBytes.find(bytes);
        if (found != byBytes.end() && found->second->columns == columns) {
            fresh = found->second;
            fresh->references.fetch_add(1, std::memory_order_relaxed);
        } else if (found == byBytes.end() && byBytes.size() < AttributePool::Blocks::MostBlocks) {
            fresh = makeBlock(columns, bytes);
            fresh->references.fetch_add(1, std::memory_order_relaxed); // the pool's
            byBytes.emplace(bytes, fresh);
        }
    }
    if (!fresh)
        fresh = makeBlock(columns, bytes);
    release(std::exchange(block, fresh));
}

void AttributeStore::appendValue(std::string& bytes, const QVariant& value) {
    const int type = value.userType();
    if (!value.isValid()) {
        bytes.push_back(static_cast<char>(Invalid));
    } else if (value.isNull() && type < QMetaType::User &&
               QVariant(static_cast<QVariant::Type>(type)).isNull()) {
        bytes.push_back(static_cast<char>(Null));
        appendLength(bytes, static_cast<std::size_t>(type));
    } else if (type == QMetaType::Double) {
        bytes.push_back(static_cast<char>(Double));
        appendRaw(bytes, value.toDouble());
    } else if (type == QMetaType::LongLong) {
        bytes.push_back(static_cast<char>(LongLong));
        appendRaw(bytes, value.toLongLong());
    } else if (type == QMetaType::Int) {
        bytes.push_back(static_cast<char>(Int));
        appendRaw(bytes, value.toInt());
    } else if (type == QMetaType::QString) {
        const QString text = value.toString();
        const QChar* unit = text.constData();
        const std::size_t size = static_cast<std::size_t>(text.size());
        const bool latin1 = std::all_of(unit, unit + size, [](QChar c) { return c.unicode() < 0x100; });
        bytes.push_back(static_cast<char>(latin1 ? Latin1 : Utf16));
        appendLength(bytes, size);
        for (std::size_t i = 0; i < size; ++i)
            if (latin1)
                bytes.push_back(static_cast<char>(unit[i].unicode()));
            else
                appendRaw(bytes, unit[i].unicode());
    } else if (type == QMetaType::QByteArray) {
        const QByteArray data = value.toByteArray();
        bytes.push_back(static_cast<char>(Bytes));
        appendLength(bytes, static_cast<std::size_t>(data.size()));
        bytes.append(data.constData(), static_cast<std::size_t>(data.size()));
    } else {
        QByteArray data;
        QDataStream out(&data, QIODevice::WriteOnly);
        out << value;
        bytes.push_back(static_cast<char>(Streamed));
        appendLength(bytes, static_cast<std::size_t>(data.size()));
        bytes.append(data.constData(), static_cast<std::size_t>(data.size()));
    }
}

void AttributeStore::appendMemberReference(std::string& bytes, int member, bool text) {
    bytes.push_back(static_cast<char>(text ? TextMember : DoubleMember));
    appendLength(bytes, static_cast<std::size_t>(member));
}

QVariant AttributeStore::valueAt(int stored, const Members& members) const {
    if (!block || stored < 0)
        return QVariant();
    Reader in{block->bytes(), block->bytes() + block->size};
    for (int i = 0; i < stored && in.at < in.end; ++i)
        in.skip();
    if (in.at >= in.end)
        return QVariant();
    switch (static_cast<Tag>(*in.at++)) {
    case Invalid:
        return QVariant();
    case Null:
        return QVariant(static_cast<QVariant::Type>(in.length()));
    case Double:
        return QVariant(in.raw<double>());
    case DoubleMember:
        return QVariant(members.number(members.record, static_cast<int>(in.length())));
    case LongLong:
        return QVariant(in.raw<qlonglong>());
    case Int:
        return QVariant(in.raw<int>());
    case Latin1: {
        const std::size_t size = in.length();
        return QVariant(QString::fromLatin1(reinterpret_cast<const char*>(in.at), static_cast<int>(size)));
    }
    case Utf16: {
        const std::size_t size = in.length();
        QString text(static_cast<int>(size), Qt::Uninitialized);
        std::memcpy(static_cast<void*>(text.data()), in.at, 2 * size);
        return QVariant(text);
    }
    case TextMember: {
        const std::string& gbk = members.text(members.record, static_cast<int>(in.length()));
        const bool ascii =
            std::all_of(gbk.begin(), gbk.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
        return QVariant(ascii ? QString::fromLatin1(gbk.data(), static_cast<int>(gbk.size()))
                              : gbkToQString(gbk));
    }
    case Bytes: {
        const std::size_t size = in.length();
        return QVariant(QByteArray(reinterpret_cast<const char*>(in.at), static_cast<int>(size)));
    }
    case Streamed: {
        const std::size_t size = in.length();
        QDataStream data(
            QByteArray::fromRawData(reinterpret_cast<const char*>(in.at), static_cast<int>(size)));
        QVariant value;
        data >> value;
        return value;
    }
    }
    return QVariant();
}

QVariant AttributeStore::at(const std::string& name, const Members& members) const {
    const int stored = block ? block->columns->find(name) : -1;
    if (stored < 0)
        throw std::out_of_range("no attribute " + name);
    return valueAt(stored, members);
}

void AttributeStore::insert(const std::string& name, const QVariant& value, const Members& members) {
    const AttributeColumns* columns = this->columns();
    const bool known = columns && columns->find(name) >= 0;
    const bool refers =
        columns && std::any_of(columns->columns().begin(), columns->columns().end(),
                               [](const AttributeColumns::Column& c) { return c.mayReferToMember; });
    if (known && !refers)
        return;
    std::vector<AttributeColumns::Column> kept;
    std::string bytes;
    for (std::size_t stored = 0; columns && stored < columns->storedCount(); ++stored) {
        kept.push_back({columns->nameAt(static_cast<int>(stored))});
        appendValue(bytes, valueAt(static_cast<int>(stored), members));
    }
    if (!known) {
        kept.push_back({name});
        appendValue(bytes, value);
    }
    assign(std::make_shared<const AttributeColumns>(std::move(kept)), bytes);
}
