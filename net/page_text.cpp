#include "net/page_text.h"

#include "net/text_encoding.h"

#include <QGuiApplication>
#include <QStringList>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <QUrl>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

namespace qzb {
namespace {

constexpr char16_t kLineBreak[] = u"\r\n";

// Reading a page never touches the disk or the network for its images, style
// sheets or backgrounds: the text is what the markup holds, and it stays fast.
class PageDocument : public QTextDocument {
protected:
    QVariant loadResource(int, const QUrl&) override { return {}; }
};

[[nodiscard]] bool isMarkup(std::string_view page) {
    return page.find_first_of("<\r\n") != std::string_view::npos;
}

[[nodiscard]] bool isAsciiLetter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

[[nodiscard]] char16_t asciiLower(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? char16_t(c - u'A' + u'a') : c;
}

[[nodiscard]] bool isHtmlSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

// The lower-case tag name that starts at `at` (just after "<" or "</").
[[nodiscard]] std::u16string tagNameAt(std::u16string_view html, std::size_t at) {
    std::u16string name;
    while (at < html.size() && (isAsciiLetter(html[at]) || (html[at] >= u'0' && html[at] <= u'9')))
        name += asciiLower(html[at++]);
    return name;
}

// The position of the ">" that ends the tag opened at `start`, skipping quoted
// attribute values; npos when the tag never ends.
[[nodiscard]] std::size_t tagEnd(std::u16string_view html, std::size_t start) {
    char16_t quote = 0;
    char16_t previous = 0;
    for (std::size_t i = start + 1; i < html.size(); ++i) {
        const char16_t c = html[i];
        if (quote != 0) {
            if (c == quote) {
                quote = 0;
                previous = c;
            }
        } else if (c == u'>') {
            return i;
        } else if ((c == u'"' || c == u'\'') && previous == u'=') {
            quote = c;
        } else if (!isHtmlSpace(c)) {
            previous = c;
        }
    }
    return std::u16string_view::npos;
}

// Where the closing tag "</name" of a raw-text element starts, or the end of the
// text when it is missing (a browser then takes the rest as that element's).
[[nodiscard]] std::size_t closingTagStart(std::u16string_view html, std::size_t from,
                                          std::u16string_view name) {
    for (std::size_t at = html.find(u"</", from); at != std::u16string_view::npos;
         at = html.find(u"</", at + 2)) {
        const std::u16string_view rest = html.substr(at + 2);
        if (rest.size() < name.size() ||
            !std::equal(name.begin(), name.end(), rest.begin(),
                        [](char16_t a, char16_t b) { return a == asciiLower(b); }))
            continue;
        if (rest.size() == name.size() || isHtmlSpace(rest[name.size()]) || rest[name.size()] == u'>' ||
            rest[name.size()] == u'/')
            return at;
    }
    return html.size();
}

void append(QString& out, std::u16string_view text) {
    out.append(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

// Appends text in which a browser sees no tags: its "<" become "&lt;".
void appendWithoutTags(QString& out, std::u16string_view text) {
    for (std::size_t lt = text.find(u'<'); lt != std::u16string_view::npos; lt = text.find(u'<')) {
        append(out, text.substr(0, lt));
        out += u"&lt;";
        text.remove_prefix(lt + 1);
    }
    append(out, text);
}

// Qt's importer parts from a browser in ways that change the text, so the
// markup is adjusted before it:
// - it takes "<" followed by a space or a digit for the start of a tag; a
//   browser shows it as a character;
// - it reads tags inside script, title and textarea elements, whose content a
//   browser takes as plain characters, so a "<" there can hide the rest of the
//   page;
// - it takes "<link>" without "/>" as an element with content and hides all
//   that follows it; a browser knows it has none;
// - text after a "<div>" whose only content is text stays on the div's line;
//   an empty span as the div's first child makes it close its line;
// - it shows the content of "<noscript>", which a browser running scripts
//   never does.
// The page's style sheets are left out, as linked ones are never loaded: Qt
// honours none of their rules that hide text, and matching a sheet of a few
// hundred rules against every element makes a 200 KB post take close to a
// second instead of milliseconds.
[[nodiscard]] QString prepareMarkup(std::u16string_view html) {
    QString out;
    out.reserve(static_cast<qsizetype>(html.size() + html.size() / 8));
    std::size_t i = 0;
    while (i < html.size()) {
        const std::size_t open = html.find(u'<', i);
        if (open == std::u16string_view::npos)
            break;
        append(out, html.substr(i, open - i));
        i = open + 1;
        if (html.substr(open, 4) == u"<!--") {
            const std::size_t commentEnd = html.find(u"-->", open + 4);
            i = commentEnd == std::u16string_view::npos ? html.size() : commentEnd + 3;
            append(out, html.substr(open, i - open));
            continue;
        }
        const bool closing = i < html.size() && html[i] == u'/';
        const std::size_t nameStart = closing ? i + 1 : i;
        if (nameStart >= html.size() || !isAsciiLetter(html[nameStart])) {
            // "<!DOCTYPE", "<?xml" and the like are left to Qt; any other "<" is a character.
            if (i < html.size() && (html[i] == u'!' || html[i] == u'?' || closing))
                out += u'<';
            else
                out += u"&lt;";
            continue;
        }
        const std::size_t end = tagEnd(html, open);
        if (end == std::u16string_view::npos) {
            i = open;
            break;
        }
        const std::u16string_view tag = html.substr(open, end + 1 - open);
        i = end + 1;
        const std::u16string name = closing ? std::u16string() : tagNameAt(html, nameStart);
        if (name == u"link" && !tag.ends_with(u"/>")) {
            append(out, tag.substr(0, tag.size() - 1));
            out += u"/>";
        } else {
            append(out, tag);
        }
        if (name == u"div" && !tag.ends_with(u"/>")) {
            out += u"<span></span>";
        } else if (name == u"noscript" || name == u"style") {
            i = closingTagStart(html, i, name);
        } else if (name == u"script" || name == u"title" || name == u"textarea") {
            const std::size_t contentEnd = closingTagStart(html, i, name);
            appendWithoutTags(out, html.substr(i, contentEnd - i));
            i = contentEnd;
        }
    }
    if (i < html.size())
        append(out, html.substr(i));
    return out;
}

// A block's text with "\r\n" for its line breaks, images left out, non-breaking
// spaces as ordinary ones, and a line's trailing collapsed spaces dropped
// outside "<pre>".
[[nodiscard]] QString blockText(const QTextBlock& block) {
    const bool keepSpaces = block.blockFormat().nonBreakableLines();
    const QString text = block.text();
    QString out;
    out.reserve(text.size() + 8);
    qsizetype trailingSpaces = 0;
    const auto endLine = [&] {
        if (!keepSpaces)
            out.chop(trailingSpaces);
        trailingSpaces = 0;
    };
    for (const QChar c : text) {
        switch (c.unicode()) {
        case QChar::LineSeparator:
        case QChar::ParagraphSeparator:
        case u'\n':
            endLine();
            append(out, kLineBreak);
            break;
        case u'\r':
        case QChar::ObjectReplacementCharacter:
            break;
        case QChar::Nbsp:
            out += u' ';
            trailingSpaces = 0;
            break;
        case u' ':
            out += u' ';
            ++trailingSpaces;
            break;
        default:
            out += c;
            trailingSpaces = 0;
        }
    }
    endLine();
    return out;
}

void appendPieces(QTextFrame::iterator it, QStringList& pieces);

// One piece per row: its cells' texts separated by tabs; a cell that a span
// covers is left out, as a browser shows it once.
void appendTableRows(const QTextTable& table, QStringList& pieces) {
    for (int row = 0; row < table.rows(); ++row) {
        QStringList cells;
        for (int column = 0; column < table.columns(); ++column) {
            const QTextTableCell cell = table.cellAt(row, column);
            if (cell.row() != row || cell.column() != column)
                continue;
            QStringList cellPieces;
            appendPieces(cell.begin(), cellPieces);
            cells.append(cellPieces.join(QStringView(kLineBreak)));
        }
        if (!cells.isEmpty())
            pieces.append(cells.join(u'\t'));
    }
}

// One piece per block. Qt keeps a block before and after every table even when
// the markup has no text there; such empty blocks are not lines of the page.
void appendPieces(QTextFrame::iterator it, QStringList& pieces) {
    bool previousEmpty = false;
    bool afterFrame = false;
    for (; !it.atEnd(); ++it) {
        if (QTextFrame* frame = it.currentFrame()) {
            if (previousEmpty)
                pieces.removeLast();
            if (const auto* table = qobject_cast<QTextTable*>(frame))
                appendTableRows(*table, pieces);
            else
                appendPieces(frame->begin(), pieces);
            previousEmpty = false;
            afterFrame = true;
            continue;
        }
        const QTextBlock block = it.currentBlock();
        const bool empty = block.text().isEmpty();
        if (!(empty && afterFrame))
            pieces.append(blockText(block));
        previousEmpty = empty && !afterFrame;
        afterFrame = false;
    }
}

[[nodiscard]] std::string toGbk(const QString& text) {
    return wideToGbk(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                         static_cast<std::size_t>(text.size())));
}

// A path text or "file:" URL as a file-system path: GBK to UTF-8 first, then
// "\" to "/" (a GBK trail byte may be 0x5C; a UTF-8 byte never is).
[[nodiscard]] std::filesystem::path localPath(std::string_view address) {
    std::string utf8 = gbkToUtf8(address);
    std::replace(utf8.begin(), utf8.end(), '\\', '/');
    constexpr std::string_view kFileScheme = "file:";
    const bool isUrl = utf8.size() >= kFileScheme.size() &&
                       std::equal(kFileScheme.begin(), kFileScheme.end(), utf8.begin(), [](char a, char b) {
                           return a == asciiLower(static_cast<unsigned char>(b));
                       });
    if (!isUrl)
        return utf8;
    const QUrl url(QString::fromStdString(utf8));
    return url.isLocalFile() ? url.toLocalFile().toStdString() : std::string();
}

// The bytes of a regular file; empty when it cannot be read.
[[nodiscard]] std::string readFileBytes(const std::filesystem::path& path) {
    std::error_code error;
    if (path.empty() || !std::filesystem::is_regular_file(path, error))
        return {};
    std::ifstream in(path, std::ios::binary);
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return in.bad() ? std::string() : bytes;
}

// "\r\n" and a lone "\r" become "\n", as a browser reads markup; Qt would take
// "\r\n" for two line breaks where white space is kept.
[[nodiscard]] std::u16string withLfBreaks(std::u16string text) {
    std::size_t out = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r') {
            text[out++] = u'\n';
            if (i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
        } else {
            text[out++] = text[i];
        }
    }
    text.resize(out);
    return text;
}

// The document of some markup; null without a QGuiApplication, which the
// engine needs for its fonts.
[[nodiscard]] std::unique_ptr<PageDocument> documentFromHtml(std::string_view htmlGbk) {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr)
        return nullptr;
    auto document = std::make_unique<PageDocument>();
    document->setHtml(prepareMarkup(withLfBreaks(gbkToWide(htmlGbk))));
    return document;
}

// The document of a page; null when there is no page to show.
[[nodiscard]] std::unique_ptr<PageDocument> pageDocument(std::string_view page) {
    if (page.empty())
        return nullptr;
    if (isMarkup(page))
        return documentFromHtml(page);
    const std::string bytes = readFileBytes(localPath(page));
    return bytes.empty() ? nullptr : documentFromHtml(bytes);
}

[[nodiscard]] std::string documentText(const std::unique_ptr<PageDocument>& document) {
    if (!document)
        return {};
    QStringList pieces;
    appendPieces(document->rootFrame()->begin(), pieces);
    return toGbk(pieces.join(QStringView(kLineBreak)));
}

} // namespace

std::string readPageText(std::string_view page) {
    return documentText(pageDocument(page));
}

std::string readPageHtml(std::string_view page) {
    const std::unique_ptr<PageDocument> document = pageDocument(page);
    if (!document)
        return {};
    // The engine writes its markup as UTF-8; ours is handed on in our byte encoding.
    return toGbk(document->toHtml().replace(QStringLiteral("<meta charset=\"utf-8\" />"),
                                            QStringLiteral("<meta charset=\"gb18030\" />")));
}

std::string pageTextFromHtml(std::string_view htmlGbk) {
    return htmlGbk.empty() ? std::string() : documentText(documentFromHtml(htmlGbk));
}

} // namespace qzb
