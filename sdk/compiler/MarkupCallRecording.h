#pragma once

// CMarkupCallRecording: the markup stream and host that the encoding of a page talks to
// when it runs on a worker thread instead of the compiler's stream and the control. It
// keeps every call the encoder makes (each element with its name and attributes, text,
// ends of elements, progress and error details), with the line the encoder had reached
// at each, so that the client's thread can later make the same calls on the compiler's
// stream and the control's host, in the same order, as if the page were encoded there.
//
// The recording answers as the compiler and the control answer while nothing stops the
// build: every call succeeds; progress answers E_ABORT once the stop flag is set, so that
// an encoding nobody will replay ends early. When a live call is answered otherwise on
// replay (the client aborted, the compiler refused something), the encoder would have
// gone another way from there: Replay then encodes the page again on the client's thread
// with a stream and host that answer the calls already made as they were answered and
// pass the later ones through, so that what the client sees is what encoding the page on
// its own thread would have shown. Encoding is taken to make the same calls for the same
// file.
//
// Only what the encoder does is recorded: one element at a time, created, named, given
// attributes and started, and the host's progress and error details. Any other call
// leaves the recording incomplete, and the page is then encoded on the client's thread.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/InputFilter.h"
#include "sdk/compiler/EBookCompiler.h"

class CMarkupCallRecording {
public:
    explicit CMarkupCallRecording(const std::atomic<bool>& stop);
    ~CMarkupCallRecording();

    CMarkupCallRecording(const CMarkupCallRecording&) = delete;
    CMarkupCallRecording& operator=(const CMarkupCallRecording&) = delete;

    // What the encoder on the worker talks to, and where it writes its current line.
    IMarkupStream& Stream();
    IFilterHost& Host();
    LONG* LineOut() { return &m_line; }

    // False when the encoder made a call that is not recorded.
    bool IsComplete() const { return m_complete; }
    // Lets go of the room kept for more calls, once the encoding is over.
    void Compact();

    // An encoding of the page against a stream and a host, writing its line to lineOut.
    using Encoding = std::function<BOOL(IMarkupStream& stream, IFilterHost& host, LONG* lineOut)>;

    // Makes the recorded calls on `stream` and `host` in order, with *lineOut (when given)
    // set to each call's line and at the end to the encoder's last line, and returns what
    // the recorded encoding returned; when a live call is answered otherwise, returns what
    // `encode` returns when run again against a stream and host that continue from there.
    BOOL Replay(IMarkupStream& stream, IFilterHost& host, LONG* lineOut, BOOL recordedResult,
                const Encoding& encode) const;

    enum class Kind : std::uint8_t { CreateElement, SetName, AddAttribute, StartElement, Text, EndElement, Step,
                                     ErrorDetails };
    // One call, in 16 bytes (a page makes thousands). Texts lie in the recording's text:
    // [offset, offset + length); an attribute's name is its first `split` characters, its
    // value the rest. A step keeps its units in `length`.
    struct Call {
        Kind kind = Kind::Step;
        // A step: answered E_ABORT; error details: a text was given (not null); an element
        // start: the element has content.
        bool flag = false;
        std::uint16_t split = 0;
        LONG line = 0;
        std::uint32_t offset = 0;
        std::uint32_t length = 0;
    };
    static_assert(sizeof(Call) == 16);

    const std::vector<Call>& Calls() const { return m_calls; }
    const std::u16string& Text() const { return m_text; }

private:
    class CElement;
    class CStream;
    class CHost;
    friend class CElement;
    friend class CStream;
    friend class CHost;

    HRESULT Record(Kind kind, const char16_t* text = nullptr, size_t length = 0, bool flag = false,
                   std::uint16_t split = 0);
    HRESULT Refuse();

    const std::atomic<bool>& m_stop;
    std::vector<Call> m_calls;
    std::u16string m_text;
    LONG m_line = 0;
    bool m_complete = true;
    bool m_elementOpen = false;  // created and not yet started
    std::unique_ptr<CElement> m_element;
    std::unique_ptr<CStream> m_stream;
    std::unique_ptr<CHost> m_host;
};
