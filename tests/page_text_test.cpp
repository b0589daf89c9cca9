#include "application_environment.h"
#include "net/page_text.h"
#include "net/text_encoding.h"

#include <QColor>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

namespace qzb {
namespace {

[[maybe_unused]] ::testing::Environment* const kApplication =
    ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment<QGuiApplication>);

// Every "\n" has a "\r" before it and every "\r" a "\n" after it.
[[nodiscard]] bool onlyCrLfBreaks(const std::string& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            return false;
        if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))
            return false;
    }
    return true;
}

[[nodiscard]] std::string toGbk(const QString& text) {
    return utf8ToGbk(text.toStdString());
}

void writeFile(const QString& path, const std::string& bytes) {
    std::ofstream out(path.toStdString(), std::ios::binary);
    out << bytes;
    ASSERT_TRUE(out.good()) << path.toStdString();
}

struct TextCase {
    const char* name;
    const char* html; // UTF-8 here, handed over in our byte encoding
    const char* text;
};

const TextCase kTextCases[] = {
    {"head, styles and scripts dropped",
     "<html><head><title>标题</title><meta charset=\"utf-8\"><style>p { color: red }</style>"
     "<script>var a = \"<p>x</p>\";</script></head><body><p>正文</p>"
     "<SCRIPT type=\"text/javascript\">if (a<b) document.write('</p>');</SCRIPT>"
     "<Style media=all>.x::after { content: '<' }</Style><p>尾</p></body></html>",
     "正文\r\n尾"},
    {"unclosed script hides the rest", "<p>a</p><script>var x = 1;<p>b</p>", "a"},
    {"noscript content hidden", "<p>a</p><noscript><p>请开启脚本</p></noscript><p>b</p>", "a\r\nb"},
    {"entities decoded", "<p>a&amp;b &lt;c&gt; &quot;q&quot; &#x4E2D;&#20013;&nbsp;x &copy;</p>",
     "a&b <c> \"q\" 中中 x ©"},
    {"stray < is a character", "<p>a < b, 3<4</p>", "a < b, 3<4"},
    {"nested blocks",
     "<div><div><p>一</p>二<div>三</div>四</div><h1>五</h1><ul><li>六</li><li>七</li></ul></div>",
     "一\r\n二\r\n三\r\n四\r\n五\r\n六\r\n七"},
    {"text after a div starts a line", "<div>a</div>b<span>c</span><div>d</div>e", "a\r\nbc\r\nd\r\ne"},
    {"line breaks", "<p>a<br>b<br/>c</p><p>d<BR>\n e</p>", "a\r\nb\r\nc\r\nd\r\ne"},
    {"link in the body hides nothing", "<p>a</p><link rel=\"stylesheet\" href=\"x.css\"><p>b</p>", "a\r\nb"},
    {"table rows and cells",
     "<table><tr><th>名</th><td>值</td></tr><tr><td colspan=\"2\">合并</td></tr></table><p>after</p>",
     "名\t值\r\n合并\r\nafter"},
    {"white space collapses",
     "<div>\n  <p>  many   spaces\n and\tbreaks  </p>\n  <p>x <b>y</b> </p>\n</div>\n",
     "many spaces and breaks\r\nx y"},
    {"pre keeps its spaces and lines", "<pre>l1\n  l2  \nl3</pre>", "l1\r\n  l2  \r\nl3"},
    {"non-breaking space kept at a line end", "<p>a&nbsp;</p><p>&nbsp;b</p>", "a \r\n b"},
    {"page style sheets not applied", "<style>p { white-space: pre }</style><p>a   b</p>", "a b"},
    {"images leave nothing", "<p>前<img src=\"a.png\" alt=\"图\">后</p>", "前后"},
};

TEST(PageText, FollowsTheBrowsersTextRules) {
    for (const auto& c : kTextCases) {
        SCOPED_TRACE(c.name);
        const std::string text = readPageText(gbk(c.html));
        EXPECT_EQ(gbkToUtf8(text), c.text);
        EXPECT_EQ(pageTextFromHtml(gbk(c.html)), text);
    }
}

TEST(PageText, EveryLineBreakIsCrLf) {
    const std::string page =
        "<p>a<br>b</p><pre>c\r\nd\ne\rf</pre><p style=\"white-space: pre-wrap\">g\nh\r\ni</p>"
        "<p>j&#x2029;k&#10;l</p><table><tr><td>m<br>n</td></tr></table>"
        "<ol><li><div><p>o</p></div></li></ol>";
    const std::string text = readPageText(page);
    EXPECT_TRUE(onlyCrLfBreaks(text)) << text;
    EXPECT_EQ(text, "a\r\nb\r\nc\r\nd\r\ne\r\nf\r\ng\r\nh\r\ni\r\nj\r\nk l\r\nm\r\nn\r\no");
}

TEST(PageText, TextComesBackInTheByteEncoding) {
    struct Case {
        const char* name;
        std::string page;
        std::string text;
    };
    const Case cases[] = {
        {"chinese", "<p>\xD6\xD0\xCE\xC4</p>", "\xD6\xD0\xCE\xC4"},                  // 中文
        {"chinese from an entity", "<p>&#26085;&#x5FD7;</p>", "\xC8\xD5\xD6\xBE"},   // 日志
        {"emoji keeps four bytes", "<p>a\x94\x39\xFC\x36</p>", "a\x94\x39\xFC\x36"}, // U+1F600
        {"emoji from an entity", "<p>&#x1F600;b</p>",
         "\x94\x39\xFC\x36"
         "b"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(readPageText(c.page), c.text);
    }
}

class PageFile : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    [[nodiscard]] QString path(const QString& name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
};

TEST_F(PageFile, PathTextAndFileAddressGiveTheTextOfTheMarkup) {
    const std::string markup = gbk("<html><head><title>日志</title></head><body>"
                                   "<div>第一段 &amp; more</div><p>第二段&#x1F600;</p></body></html>");
    // "嘰" ends in the byte 0x5C in our encoding: it must not be taken for a separator.
    const QString file = path(QStringLiteral("嘰 日志.htm"));
    writeFile(file, markup);

    const std::string pathText = toGbk(file);
    std::string backslashed = pathText;
    std::replace(backslashed.begin(), backslashed.end(), '/', '\\');
    const std::string address = toGbk(QUrl::fromLocalFile(file).toString());

    const std::string expected = gbk("第一段 & more\r\n第二段😀");
    ASSERT_EQ(readPageText(markup), expected);
    for (const auto& page : {pathText, backslashed, address}) {
        SCOPED_TRACE(gbkToUtf8(page));
        EXPECT_EQ(readPageText(page), expected);
        EXPECT_EQ(readPageHtml(page), readPageHtml(markup));
    }
}

TEST_F(PageFile, NoPageGivesEmptyText) {
    writeFile(path(QStringLiteral("empty.htm")), "");
    const std::string missing = toGbk(path(QStringLiteral("missing.htm")));
    const std::string cases[] = {
        "",
        missing,
        toGbk(QUrl::fromLocalFile(path(QStringLiteral("missing.htm"))).toString()),
        toGbk(m_dir.path()),
        toGbk(path(QStringLiteral("empty.htm"))),
        "http://example.com/page.htm",
    };
    for (const auto& page : cases) {
        SCOPED_TRACE(page);
        EXPECT_EQ(readPageText(page), "");
        EXPECT_EQ(readPageHtml(page), "");
    }
}

TEST(PageText, MarkupWithoutTextGivesBlankText) {
    const std::string pages[] = {
        "<html><head><title>t</title></head><body></body></html>",
        "<body><img src=\"a.png\"><div></div><p></p><br><table><tr><td></td></tr></table></body>",
        "<p>&nbsp;</p><script>document.write('x');</script>",
    };
    for (const auto& page : pages) {
        SCOPED_TRACE(page);
        const std::string text = readPageText(page);
        EXPECT_EQ(text.find_first_not_of(" \r\n\t"), std::string::npos) << text;
    }
}

// A style sheet that keeps white space would show in the text if it were read,
// so the text tells whether resources were loaded.
TEST_F(PageFile, ResourcesAreNeverLoaded) {
    writeFile(path(QStringLiteral("pre.css")), "p { white-space: pre }\n");
    QImage picture(4, 4, QImage::Format_RGB32);
    picture.fill(QColor(Qt::red));
    ASSERT_TRUE(picture.save(path(QStringLiteral("picture.png"))));
    const QString css = QUrl::fromLocalFile(path(QStringLiteral("pre.css"))).toString();
    const QString png = QUrl::fromLocalFile(path(QStringLiteral("picture.png"))).toString();

    const std::string page =
        toGbk(QStringLiteral("<html><head><link rel=\"stylesheet\" type=\"text/css\" href=\"%1\"></head>"
                             "<body background=\"%2\"><p>a   b<img src=\"%2\">c</p>"
                             "<table background=\"%2\"><tr><td>d</td></tr></table></body></html>")
                  .arg(css, png));
    EXPECT_EQ(readPageText(page), "a bc\r\nd");
}

TEST(PageHtml, HoldsTheTextInTheByteEncoding) {
    const std::string page = gbk("<p>中文 &amp; more</p><table><tr><td>格</td><td>&#x1F600;</td></tr></table>"
                                 "<script>var hidden = 1;</script>");
    const std::string html = readPageHtml(page);
    EXPECT_NE(html.find(gbk("中文 &amp; more")), std::string::npos) << html;
    EXPECT_NE(html.find("\x94\x39\xFC\x36"), std::string::npos) << html;
    EXPECT_NE(html.find("charset=\"gb18030\""), std::string::npos) << html;
    EXPECT_EQ(html.find("hidden"), std::string::npos) << html;
    EXPECT_EQ(readPageText(html), readPageText(page));
}

} // namespace
} // namespace qzb
