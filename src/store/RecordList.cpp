// The record list: node blocks, linking, the classic positional access.
#include "RecordList.h"

#include <cstring>
#include <new>
#include <utility>

namespace marlow {

RecordList::RecordList() : m_sentinel(new RecordNode) {
    m_sentinel->prev = m_sentinel;
    m_sentinel->next = m_sentinel;
}

RecordList::~RecordList() {
    delete m_sentinel;
}

void RecordList::clear() {
    m_blocks.clear();
    m_usedInLastBlock = BlockNodes;
    m_freeNodes = nullptr;
    m_sentinel->prev = m_sentinel;
    m_sentinel->next = m_sentinel;
    m_count = 0;
    if (m_macIndex)
        m_macIndex->clear();
}

void RecordList::indexByMac() {
    if (m_macIndex)
        return;
    m_macIndex = std::make_unique<std::unordered_map<std::string, RecordNode*>>();
    // Walked backwards, so that of equal texts the first in list order stays.
    for (RecordNode* at = m_sentinel->prev; at != m_sentinel; at = at->prev)
        (*m_macIndex)[std::string(textOf(at->record.macText))] = at;
}

void RecordList::swap(RecordList& other) noexcept {
    std::swap(m_sentinel, other.m_sentinel);
    std::swap(m_count, other.m_count);
    m_blocks.swap(other.m_blocks);
    std::swap(m_usedInLastBlock, other.m_usedInLastBlock);
    std::swap(m_freeNodes, other.m_freeNodes);
    m_macIndex.swap(other.m_macIndex);
}

int RecordList::newNode(RecordNode*& node) {
    return newNode(node, SurveyRecord{});
}

int RecordList::newNode(RecordNode*& node, const SurveyRecord& record) {
    void* slot = nullptr;
    if (m_freeNodes) {
        slot = m_freeNodes;
        m_freeNodes = m_freeNodes->next;
    } else {
        if (m_usedInLastBlock == BlockNodes) {
            std::unique_ptr<NodeSlot[]> block(new (std::nothrow) NodeSlot[BlockNodes]);
            if (!block) {
                node = nullptr;
                return NotFound;
            }
            m_blocks.push_back(std::move(block));
            m_usedInLastBlock = 0;
        }
        slot = &m_blocks.back()[m_usedInLastBlock++];
    }
    // The node is made in its slot straight from the record: memory that is
    // about to be filled is not zeroed first.
    node = ::new (slot) RecordNode{nullptr, record, nullptr};
    return Ok;
}

void RecordList::linkBefore(RecordNode* node, RecordNode* before) {
    node->prev = before->prev;
    node->next = before;
    before->prev->next = node;
    before->prev = node;
    ++m_count;
    if (!m_macIndex)
        return;
    // A record linked in ahead of an equal text takes its place in the index.
    auto [entry, added] = m_macIndex->try_emplace(std::string(textOf(node->record.macText)), node);
    if (!added) {
        for (const RecordNode* at = node->next; at != m_sentinel; at = at->next) {
            if (at == entry->second) {
                entry->second = node;
                break;
            }
        }
    }
}

void RecordList::unindex(const RecordNode* node) {
    const std::string key(textOf(node->record.macText));
    const auto entry = m_macIndex->find(key);
    if (entry == m_macIndex->end() || entry->second != node)
        return;
    m_macIndex->erase(entry);
    for (RecordNode* at = node->next; at != m_sentinel; at = at->next) {
        if (textOf(at->record.macText) == key) {
            m_macIndex->emplace(key, at);
            return;
        }
    }
}

void RecordList::append(RecordNode* node) {
    linkBefore(node, m_sentinel);
}

int RecordList::appendCopy(const SurveyRecord& record) {
    RecordNode* node = nullptr;
    if (newNode(node, record) != Ok)
        return NotFound;
    append(node);
    return Ok;
}

void RecordList::insertOrdered(RecordNode* node) {
    RecordNode* at = m_sentinel->next;
    if (sortKey == SortByRssi) {
        // Link in before the first record whose rssi is above the new one's:
        // ascending order, and a new record goes after its equals.
        while (at != m_sentinel && node->record.rssi >= at->record.rssi)
            at = at->next;
    } else {
        at = m_sentinel;
    }
    linkBefore(node, at);
}

int RecordList::findByMac(const char* text, RecordNode*& node) const {
    if (m_macIndex) {
        // As the walk compares: up to the terminator, at most the field's size.
        std::size_t length = 0;
        while (length < sizeof(SurveyRecord::macText) && text[length] != '\0')
            ++length;
        const auto entry = m_macIndex->find(std::string(text, length));
        node = entry == m_macIndex->end() ? nullptr : entry->second;
        return node ? Ok : NotFound;
    }
    for (RecordNode* at = m_sentinel->next; at != m_sentinel; at = at->next) {
        if (std::strncmp(at->record.macText, text, sizeof at->record.macText) == 0) {
            node = at;
            return Ok;
        }
    }
    node = nullptr;
    return NotFound;
}

int RecordList::getAt(std::int16_t position, RecordNode*& node) const {
    node = nullptr;
    // Position 0 or below would hand out the sentinel, whose record is not
    // data; no position names it.
    if (position < 1)
        return NotFound;
    RecordNode* at = m_sentinel;
    for (std::int16_t step = 0; step < position; ++step) {
        at = at->next;
        if (at == m_sentinel)
            return PastEnd;
    }
    node = at;
    return Ok;
}

int RecordList::next(RecordNode*& node) const {
    if (node->next == m_sentinel) {
        node = nullptr;
        return PastEnd;
    }
    node = node->next;
    return Ok;
}

void RecordList::remove(RecordNode* node) {
    if (node == nullptr || node == m_sentinel)
        return;
    if (m_macIndex)
        unindex(node);
    node->prev->next = node->next;
    node->next->prev = node->prev;
    --m_count;
    node->prev = nullptr;
    node->next = m_freeNodes;
    m_freeNodes = node;
}

RecordList::iterator RecordList::erase(iterator position) {
    RecordNode* following = position.node()->next;
    remove(position.node());
    return iterator(following);
}

} // namespace marlow
