// Outgoing side of the link: framing messages and the two start-up requests.
#include "FramedLink.h"

#include "protocol/FrameCodec.h"

namespace marlow {

FramedLink::FramedLink(LinkEvents& events, SharedRecordList& scanList)
    : m_events(events), m_scanList(scanList) {}

FramedLink::~FramedLink() = default;

int FramedLink::requestSerialNumber() {
    return sendMessage(msg::SerialRequest, nullptr, 0);
}

int FramedLink::requestFirmwareVersion() {
    return sendMessage(msg::FirmwareRequest, nullptr, 0);
}

int FramedLink::sendMessage(std::uint8_t type, const std::uint8_t* payload, unsigned length) {
    const EncodedFrame encoded = encodeFrame(type, {payload, length});
    // A message whose frame would not fit is refused whole: nothing is sent.
    if (encoded.empty())
        return 0;
    return sendRaw(encoded.bytes.data(), encoded.size);
}

void FramedLink::attachSink(ByteSink* sink) {
    m_sink.store(sink);
}

int FramedLink::sendRaw(const std::uint8_t* bytes, std::size_t length) {
    ByteSink* sink = m_sink.load();
    return sink ? sink->send(bytes, length) : 0;
}

} // namespace marlow
