#pragma once

// CReplayCursor: where a call stands that runs again after one of its replayed calls was
// answered otherwise (a recording's calls were made on a live host or stream in order,
// and at `divergedAt` the live side answered what the recording had not). The calls
// before that one are answered as they were recorded (they reached the live side
// already), that one as the live side answered it, and the later ones go to the live
// side; so do all calls once one differs in kind from the call recorded in its place.
//
// Call is a recorded call with a `kind`; `recordedAnswer` tells what the recording
// answered it.

#include <optional>
#include <vector>

#include "platform/base/Types.h"

template <class Call>
class CReplayCursor {
public:
    using RecordedAnswer = HRESULT (*)(const Call& call);

    CReplayCursor(const std::vector<Call>& calls, size_t divergedAt, HRESULT liveAnswer, RecordedAnswer recordedAnswer)
        : m_calls(calls), m_divergedAt(divergedAt), m_liveAnswer(liveAnswer), m_recordedAnswer(recordedAnswer) {}

    // The answer to the next call, of this kind, while it is one that was made already;
    // none once the calls go to the live side.
    template <class Kind>
    std::optional<HRESULT> Answer(Kind kind) {
        if (m_passThrough || m_next > m_divergedAt)
            return std::nullopt;
        if (m_calls[m_next].kind != kind) {
            m_passThrough = true;
            return std::nullopt;
        }
        const size_t index = m_next++;
        return index == m_divergedAt ? m_liveAnswer : m_recordedAnswer(m_calls[index]);
    }

    // A call that no recording holds: it and every later one go to the live side.
    void PassThrough() { m_passThrough = true; }

    // The place of the next call in the recording, and of the one answered otherwise.
    size_t Next() const { return m_next; }
    size_t DivergedAt() const { return m_divergedAt; }

private:
    const std::vector<Call>& m_calls;
    const size_t m_divergedAt;
    const HRESULT m_liveAnswer;
    const RecordedAnswer m_recordedAnswer;
    size_t m_next = 0;
    bool m_passThrough = false;
};
