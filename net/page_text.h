#pragma once

#include <string>
#include <string_view>

// The text of a blog post's page as a browser shows it, read from Qt's rich-text
// engine (QTextDocument). These need a QGuiApplication and run on its thread;
// without one they give an empty text.
//
// A `page` is either the page's markup or the address of a local page file, both
// in the program's byte encoding (see text_encoding.h):
// - a text holding "<" or a line break is markup: neither can occur in a file
//   name or an address, and every page's markup holds a tag;
// - any other text names a file: a "file:" URL, or a path text whose "\"
//   separators become "/". A file that is missing or unreadable, or any other
//   kind of address (pages on the web are fetched by the network layer, not
//   here), gives an empty text. The file's bytes are read as our byte encoding.
// An empty page gives an empty text.
namespace qzb {

// The page's visible text: no tags, entities decoded, the content of script,
// style, noscript and head elements dropped. Each block (paragraph, heading,
// list item, table row, ...) is one line and "<br>" breaks a line; lines are
// separated by "\r\n", with no line break after the last one. Table cells of a
// row are separated by a tab. Runs of white space collapse to one space, and a
// line's trailing spaces are dropped except in "<pre>"; a non-breaking space
// becomes an ordinary space and is kept. Images leave nothing. Markup without
// text gives a blank text (nothing but line breaks and spaces). Nothing is
// loaded for the page (images, linked style sheets), and its own style sheets
// are not applied: the engine honours none of their rules that hide text, and
// they would cost most of the time.
[[nodiscard]] std::string readPageText(std::string_view page);

// The page's markup as the engine holds it, re-written by the engine, declaring
// our byte encoding.
[[nodiscard]] std::string readPageHtml(std::string_view page);

// readPageText of markup, without looking for a file.
[[nodiscard]] std::string pageTextFromHtml(std::string_view htmlGbk);

} // namespace qzb
