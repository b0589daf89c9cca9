// Time to read the text of a 200 KB blog post page: its median over several
// runs against the goal of 20 ms.
#include "net/page_text.h"
#include "net/text_encoding.h"

#include <QElapsedTimer>
#include <QGuiApplication>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kPageBytes = 200 * 1024;
constexpr int kRuns = 15;

// A post page as the service's pages look: a head with meta data, a large style
// sheet and script, then nested divs of paragraphs mixing Chinese, ASCII and
// entities, with links, images, lists and tables.
[[nodiscard]] std::string postPage() {
    std::string head =
        "<!DOCTYPE html><html><head><meta http-equiv=\"Content-Type\" "
        "content=\"text/html; charset=gb2312\"><meta name=\"keywords\" content=\"日志,QQ空间\">"
        "<title>春天的日志 - QQ空间</title><link rel=\"stylesheet\" href=\"http://qzs.example/blog.css\">"
        "<style type=\"text/css\">";
    for (int i = 0; i < 300; ++i)
        head += ".blog_content_" + std::to_string(i) + " p, .blog_content_" + std::to_string(i) +
                " div { margin: 0 0 12px 0; line-height: 1.8; color: #333; font-size: 14px; }\n";
    head += "</style><script type=\"text/javascript\">";
    for (int i = 0; i < 200; ++i)
        head += "if (window.g_" + std::to_string(i) +
                " < 10 && document.body) { document.write('<div class=\"ad\">" + std::to_string(i) +
                "</div>'); }\n";
    head += "</script></head><body><div id=\"main\"><div class=\"blog_content\">";

    // Sized in our byte encoding, in which a Chinese character takes two bytes.
    std::string page = qzb::gbk(head);
    for (int section = 0; page.size() < kPageBytes; ++section) {
        std::string html =
            "<div class=\"section\"><h2>第" + std::to_string(section) + "章 春天&amp;夏天</h2><div>";
        for (int p = 0; p < 6; ++p) {
            html += "<p>今天天气很好，我们一起去公园散步。&nbsp;The weather was fine &amp; we walked "
                    "&lt;slowly&gt; through the park.&#x4E2D;&#25991;<b>重点</b>内容，"
                    "<a href=\"http://user.qzone.example/123456/blog/" +
                    std::to_string(section * 10 + p) +
                    "\">链接</a>还有<span style=\"color:#f00\">红色的字</span>。<br>"
                    "第二行文字，记录下这一天的心情。</p>";
        }
        html += "<p><img src=\"http://photo.example/" + std::to_string(section) +
                ".jpg\" width=\"500\" height=\"375\" alt=\"照片\"></p></div>";
        if (section % 3 == 0) {
            html += "<table border=\"1\"><tr><th>日期</th><th>地点</th><th>备注</th></tr>";
            for (int row = 0; row < 4; ++row)
                html += "<tr><td>2010-04-0" + std::to_string(row + 1) +
                        "</td><td>公园</td><td>晴&nbsp;天</td></tr>";
            html += "</table>";
        } else {
            html += "<ul><li>第一件事</li><li>第二件事 &amp; more</li><li>第三件事</li></ul>";
        }
        html += "</div>";
        page += qzb::gbk(html);
    }
    return page + "</div></div></body></html>";
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    const std::string page = postPage();
    const std::string text = qzb::readPageText(page);
    if (text.empty()) {
        std::fprintf(stderr, "the page gave no text\n");
        return 1;
    }

    std::vector<double> millis;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer timer;
        timer.start();
        const std::string again = qzb::readPageText(page);
        millis.push_back(double(timer.nsecsElapsed()) / 1e6);
        if (again != text)
            return 1;
    }
    std::nth_element(millis.begin(), millis.begin() + kRuns / 2, millis.end());
    std::printf("page text of %zu KB: %.1f ms (goal < 20 ms)\n", page.size() / 1024, millis[kRuns / 2]);
    return 0;
}
