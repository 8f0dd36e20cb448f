// RecordList: the circular doubly linked list of survey records with one
// sentinel node, used for the survey store and for the scan in progress.
//
// The classic contract is kept: 1-based signed 16-bit positions and the
// results 0 (done), -1 (not found / out of memory) and -2 (past the end).
// Whole-list walks should use the iterators instead: they are linear in the
// list's size and not limited to 32,767 positions.
#pragma once

#include "SurveyRecord.h"

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <string>
#include <type_traits>
#include <unordered_map>
#include <vector>

namespace marlow {

struct RecordNode {
    RecordNode* prev = nullptr;
    SurveyRecord record;
    RecordNode* next = nullptr;
};

class RecordList {
public:
    static constexpr int Ok = 0;
    static constexpr int NotFound = -1;
    static constexpr int PastEnd = -2;
    // The only sortKey that orders insertions (by rssi); any other appends.
    static constexpr std::int16_t SortByRssi = 3;

    RecordList();
    virtual ~RecordList();
    RecordList(const RecordList&) = delete;
    RecordList& operator=(const RecordList&) = delete;

    void clear();
    // From now on findByMac looks records up in an index kept beside the
    // list instead of walking it: for a scan list, where every report looks
    // its transmitter up. The index costs memory per record, so the store
    // goes without.
    void indexByMac();
    // Exchanges the records of the two lists without allocating or copying;
    // each keeps its own sortKey.
    void swap(RecordList& other) noexcept;
    // An unlinked node with a zeroed record; the caller links it in with
    // append or insertOrdered. -1 and no node when memory is exhausted.
    // Nodes come from blocks the list owns, so a large store costs one
    // allocation per block rather than per record.
    int newNode(RecordNode*& node);
    // The same, holding a copy of the record.
    int newNode(RecordNode*& node, const SurveyRecord& record);
    void append(RecordNode* node);
    // newNode holding a copy of the record, then append: 0, or -1 with the
    // list unchanged when memory is exhausted.
    [[nodiscard]] int appendCopy(const SurveyRecord& record);
    void insertOrdered(RecordNode* node);
    int findByMac(const char* text, RecordNode*& node) const;
    int getAt(std::int16_t position, RecordNode*& node) const;
    int next(RecordNode*& node) const;
    void remove(RecordNode* node);

    bool empty() const { return m_count == 0; }
    std::size_t size() const { return m_count; }

    template <typename Record, typename Node> class Iterator {
    public:
        using iterator_category = std::bidirectional_iterator_tag;
        using value_type = SurveyRecord;
        using difference_type = std::ptrdiff_t;
        using pointer = Record*;
        using reference = Record&;

        Iterator() = default;
        explicit Iterator(Node* node) : m_node(node) {}
        reference operator*() const { return m_node->record; }
        pointer operator->() const { return &m_node->record; }
        Iterator& operator++() {
            m_node = m_node->next;
            return *this;
        }
        Iterator operator++(int) {
            Iterator old = *this;
            m_node = m_node->next;
            return old;
        }
        Iterator& operator--() {
            m_node = m_node->prev;
            return *this;
        }
        Iterator operator--(int) {
            Iterator old = *this;
            m_node = m_node->prev;
            return old;
        }
        bool operator==(const Iterator& other) const = default;
        Node* node() const { return m_node; }

    private:
        Node* m_node = nullptr;
    };
    using iterator = Iterator<SurveyRecord, RecordNode>;
    using const_iterator = Iterator<const SurveyRecord, const RecordNode>;

    iterator begin() { return iterator(m_sentinel->next); }
    iterator end() { return iterator(m_sentinel); }
    const_iterator begin() const { return const_iterator(m_sentinel->next); }
    const_iterator end() const { return const_iterator(m_sentinel); }

    // Removes the node an iterator stands on; returns the iterator after it.
    iterator erase(iterator position);

    std::int16_t sortKey = SortByRssi;

private:
    void linkBefore(RecordNode* node, RecordNode* before);
    void unindex(const RecordNode* node);

    // The first record in list order of each MAC text, when indexed.
    std::unique_ptr<std::unordered_map<std::string, RecordNode*>> m_macIndex;

    static constexpr std::size_t BlockNodes = 128;

    RecordNode* m_sentinel;
    std::size_t m_count = 0;
    // Storage for one node; RecordNode is trivially destructible, so a
    // block is freed without running destructors.
    struct NodeSlot {
        alignas(RecordNode) unsigned char bytes[sizeof(RecordNode)];
    };
    static_assert(std::is_trivially_destructible_v<RecordNode>);
    std::vector<std::unique_ptr<NodeSlot[]>> m_blocks;
    std::size_t m_usedInLastBlock = BlockNodes;
    RecordNode* m_freeNodes = nullptr; // removed nodes, chained through next
};

} // namespace marlow
