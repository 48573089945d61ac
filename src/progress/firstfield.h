#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

class QIODevice;

namespace progress {

// Takes the first field of a file the way a comma-separated text record is
// read: leading spaces and line ends are skipped, a field that opens with a
// double quote runs to the next double quote and is taken without the quotes,
// any other field runs to the first comma or line end. A UTF-8 byte-order
// mark in front is skipped, since editors add one to files that are
// otherwise plain ASCII.
//
// The scanner is fed in chunks and never holds the field itself, so a file
// of any size costs constant memory; callers decide what to keep.
class FirstFieldScanner
{
public:
    // Feeds the next chunk of the file and hands the field bytes it contains
    // to `sink(const char *data, qsizetype size)`. Returns false once the
    // field has ended; later bytes are not looked at.
    template<typename Sink>
    bool feed(QByteArrayView chunk, Sink &&sink);

    // Ends the data: a byte-order mark broken off part way was text after
    // all, and is handed on as such.
    template<typename Sink>
    void finish(Sink &&sink);

    // True when the field began before the data ran out. A file that holds
    // nothing but spaces and line ends has no first field at all.
    bool foundField() const { return m_state != State::Leading && m_state != State::ByteOrderMark; }

private:
    enum class State { ByteOrderMark, Leading, Quoted, Unquoted, Done };

    static constexpr char ByteOrderMark[] = "\xEF\xBB\xBF";

    State m_state = State::ByteOrderMark;
    qsizetype m_bomMatched = 0;
};

struct FlagScan
{
    qint64 length = 0; // characters of the flag text that were scanned
    qint64 ones = 0; // how many of them are "1"
    char flagAt = '\0'; // the character at the requested position, or 0 past the end
    QByteArray head; // the flag text's first characters, as many as were asked for
};

// Longest flag text that is looked at. A real one has a character per catalog
// entry; this only bounds the time a damaged or hostile file can take.
inline constexpr qint64 MaxFlagTextLength = 64 * 1024 * 1024;

// Reads the first field of `device` as a flag text, counting its "1"
// characters, picking the one at `position` (counted from 1) and keeping the
// first `headLength` of them. Returns nothing when the device has no first
// field or fails while being read.
std::optional<FlagScan> scanFlagText(QIODevice &device, qint64 position, qsizetype headLength = 0);

// The same for a file; a missing or unreadable file yields nothing.
std::optional<FlagScan> scanFlagFile(const QString &path, qint64 position,
                                     qsizetype headLength = 0);

// The flag text every reader falls back to: `length` characters "0", of
// which the first `headLength` are kept.
FlagScan defaultFlagScan(qint64 length, qint64 position, qsizetype headLength = 0);

// The first field of a small file such as the tab memory, cut off after
// `maxLength` bytes.
std::optional<QByteArray> readFirstField(const QString &path, qsizetype maxLength = 4096);

// Where the first field stands in a file's bytes, without its quotes, so that
// it can be replaced in place and everything around it kept.
struct FieldPlace
{
    qsizetype start = 0;
    qsizetype length = 0;
};

// Nothing when the bytes hold no first field (only spaces and line ends).
std::optional<FieldPlace> locateFirstField(QByteArrayView bytes);

// --- implementation of the template ---------------------------------------

template<typename Sink>
bool FirstFieldScanner::feed(QByteArrayView chunk, Sink &&sink)
{
    const char *Bom = ByteOrderMark;
    qsizetype i = 0;
    const qsizetype n = chunk.size();
    const char *data = chunk.data();
    while (i < n) {
        switch (m_state) {
        case State::ByteOrderMark:
            if (data[i] == Bom[m_bomMatched]) {
                ++i;
                if (++m_bomMatched == 3)
                    m_state = State::Leading;
                continue;
            }
            // Not a mark after all: the bytes taken so far start the text.
            m_state = State::Leading;
            if (m_bomMatched > 0) {
                m_state = State::Unquoted;
                sink(Bom, m_bomMatched);
            }
            continue;
        case State::Leading: {
            const char c = data[i];
            if (c == ' ' || c == '\r' || c == '\n') {
                ++i;
                continue;
            }
            if (c == '"') {
                ++i;
                m_state = State::Quoted;
            } else {
                m_state = State::Unquoted;
            }
            continue;
        }
        case State::Quoted: {
            const char *end = static_cast<const char *>(memchr(data + i, '"', size_t(n - i)));
            const qsizetype stop = end ? end - data : n;
            if (stop > i)
                sink(data + i, stop - i);
            if (!end)
                return true;
            m_state = State::Done;
            return false;
        }
        case State::Unquoted: {
            qsizetype stop = i;
            while (stop < n && data[stop] != ',' && data[stop] != '\r' && data[stop] != '\n')
                ++stop;
            if (stop > i)
                sink(data + i, stop - i);
            if (stop == n)
                return true;
            m_state = State::Done;
            return false;
        }
        case State::Done:
            return false;
        }
    }
    return m_state != State::Done;
}

template<typename Sink>
void FirstFieldScanner::finish(Sink &&sink)
{
    if (m_state == State::ByteOrderMark && m_bomMatched > 0) {
        m_state = State::Unquoted;
        sink(ByteOrderMark, m_bomMatched);
    }
}

} // namespace progress
