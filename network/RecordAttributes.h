#pragma once

#include <QVariant>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// A typed member of a record and the column it is read from (GBK). Exactly one of the
// two member pointers is set.
template <class Record> struct MemberColumn {
    const char* column;
    std::string Record::*text;
    double Record::*number;
};

// The columns of one query's result as its records keep them: made once per query and
// shared, unchanged, by every record of it.
class AttributeColumns {
public:
    struct Column {
        std::string name; // GBK
        int member = -1;  // the typed member the column sets, -1 for none
        bool memberIsText = false;
        // Worked out here: where a record keeps the column's value (-1 for a later column
        // of a name already there, which no look-up reaches), and whether the value may be
        // kept as a reference to its member (it is the member's last column).
        int stored = -1;
        bool mayReferToMember = false;
    };

    // The columns in the result's order, with their names and members.
    explicit AttributeColumns(std::vector<Column> columns);

    const std::vector<Column>& columns() const { return all; }
    std::size_t storedCount() const { return names.size(); }
    // Where the value of the first column of this name is kept; -1 when there is none.
    int find(const std::string& name) const;
    // Kept positions in the order of their names.
    const std::vector<int>& inNameOrder() const { return sorted; }
    const std::string& nameAt(int stored) const { return names[static_cast<std::size_t>(stored)]; }

private:
    std::vector<Column> all;
    std::vector<std::string> names; // by kept position
    std::vector<int> sorted;
};

class AttributeStore;

// The blocks of values one query has made so far: rows whose values are all the same
// (their own texts and numbers read from their members) share one block.
class AttributePool {
public:
    AttributePool();
    ~AttributePool();
    AttributePool(const AttributePool&) = delete;
    AttributePool& operator=(const AttributePool&) = delete;

private:
    friend class AttributeStore;
    struct Blocks;
    std::unique_ptr<Blocks> blocks;
};

// Every column of a record under its name, as Qt read it: one value per name, that of
// the first column of the name. Behaves as a read-only std::map<std::string, QVariant>
// for look-ups. The values are one packed block, shared between copies of the record; a
// value that equals a typed member of the record is not kept twice but read from the
// member. A record's own attributes may only live inside it (see Attributes below).
class AttributeStore {
public:
    std::size_t size() const { return block ? block->columns->storedCount() : 0; }
    bool empty() const { return size() == 0; }
    std::size_t count(const std::string& name) const {
        return block && block->columns->find(name) >= 0 ? 1 : 0;
    }

    // Appending one value to a record's values under construction.
    static void appendValue(std::string& bytes, const QVariant& value);
    static void appendMemberReference(std::string& bytes, int member, bool text);
    // Takes the values of one row, appended in the order of the kept columns; from the
    // pool when a row before had the same.
    void assign(const std::shared_ptr<const AttributeColumns>& columns, const std::string& bytes,
                AttributePool* pool = nullptr);

protected:
    AttributeStore() = default;
    AttributeStore(const AttributeStore& other);
    AttributeStore(AttributeStore&& other) noexcept;
    AttributeStore& operator=(const AttributeStore& other);
    AttributeStore& operator=(AttributeStore&& other) noexcept;
    ~AttributeStore();

    // How a value kept as a reference reads its member from the record.
    struct Members {
        const void* record;
        const std::string& (*text)(const void* record, int member);
        double (*number)(const void* record, int member);
    };
    QVariant valueAt(int stored, const Members& members) const;
    // Throws std::out_of_range, as std::map::at does.
    QVariant at(const std::string& name, const Members& members) const;
    // Adds a value under a name not there yet. Either way the values that read a member
    // are given their own copy first, so that the member may change.
    void insert(const std::string& name, const QVariant& value, const Members& members);
    const AttributeColumns* columns() const { return block ? block->columns.get() : nullptr; }

private:
    friend class AttributePool;
    // The values with their columns, followed by the bytes of the values.
    struct Block {
        std::atomic<std::uint32_t> references;
        std::uint32_t size;
        std::shared_ptr<const AttributeColumns> columns;
        const unsigned char* bytes() const { return reinterpret_cast<const unsigned char*>(this + 1); }
    };
    static Block* makeBlock(const std::shared_ptr<const AttributeColumns>& columns, const std::string& bytes);
    static void release(Block* block);
    Block* block = nullptr;
};

// A record's attributes, found from the record they belong to. Made, copied and assigned
// only by the record itself, so that they never live outside it.
template <class Record> class Attributes : public AttributeStore {
public:
    QVariant at(const std::string& name) const { return AttributeStore::at(name, members()); }
    // Each name with its value, in the order of the names.
    template <class Visit> void forEach(Visit visit) const {
        const AttributeColumns* kept = columns();
        if (!kept)
            return;
        const Members m = members();
        for (int stored : kept->inNameOrder())
            visit(kept->nameAt(stored), valueAt(stored, m));
    }

private:
    friend Record;
    Attributes() = default;
    Attributes(const Attributes&) = default;
    Attributes(Attributes&&) noexcept = default;
    Attributes& operator=(const Attributes&) = default;
    Attributes& operator=(Attributes&&) noexcept = default;
    ~Attributes() = default;

    void insert(const std::string& name, const QVariant& value) {
        AttributeStore::insert(name, value, members());
    }

    Members members() const {
        const void* record = reinterpret_cast<const char*>(this) - Record::attributesOffset();
        return {record, &text, &number};
    }
    static const std::string& text(const void* record, int member) {
        return static_cast<const Record*>(record)->*Record::memberColumns[member].text;
    }
    static double number(const void* record, int member) {
        return static_cast<const Record*>(record)->*Record::memberColumns[member].number;
    }
};
