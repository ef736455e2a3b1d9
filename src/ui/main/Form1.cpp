// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Form1.h"

#include "analysis/HostListExport.h"
#include "analysis/SnapshotSite.h"
#include "history/StoredDisavowMarks.h"
#include "platform/PlainText.h"
#include "platform/Twips.h"
#include "platform/Version.h"
#include "platform/WebAddress.h"
#include "publisher/Bulletin.h"
#include "publisher/SuggestionEncoding.h"
#include "ui/CaptionLabel.h"
#include "ui/FlexGrid.h"
#include "ui/Fonts.h"
#include "ui/GridMenu.h"
#include "ui/MessageBox.h"
#include "ui/WheelHook.h"
#include "ui/WindowPlacement.h"
#include "ui/history/HistoryControl.h"
#include "ui/history/HistoryWindow.h"
#include "ui/links/Form2.h"
#include "ui/main/DisavowActions.h"
#include "ui/suggest/Form3.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFutureWatcher>
#include <QKeyEvent>
#include <QLineEdit>
#include <QNetworkAccessManager>
#include <QPushButton>
#include <QSettings>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

namespace {

// The widest a news label may be: the two of a row, with the space between them, fit under the
// grid.
constexpr int newsWidth = 2800;

// Where the status line starts, under the site box, unless its text is too long for that.
constexpr int statusLeft = 1320;
// The grid's host and count columns as designed, in twips.
constexpr int hostColWidth = 4400;
constexpr int countColWidth = 600;

// The user's choice of rows by registrable domain, kept across runs and restarts.
const QString groupByDomainKey = QStringLiteral("hostList/groupByDomain");
// The user's choice to leave nofollow links out of an import's rows.
const QString excludeNofollowKey = QStringLiteral("hostList/excludeNofollow");

} // namespace

Form1::Form1(const Endpoints& endpoints, QWidget* parent)
    : QWidget(parent), endpoints_(endpoints), network_(new QNetworkAccessManager(this)),
      statusTimer_(new QTimer(this))
{
    statusTimer_->setSingleShot(true);
    statusTimer_->setInterval(16);
    connect(statusTimer_, &QTimer::timeout, this, [this] { Label1->setCaption(pendingStatus_); });
    createControls();
    // Making the native window exist runs the load, as the window is created before it is
    // first shown.
    winId();
    formLoad();
    Text1->setFocus();
}

Form1::~Form1() = default;

void Form1::createControls()
{
    setWindowTitle(QStringLiteral("Ostrel"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/ostrel-16.png")));
    resize(twipsToPixels(6585), twipsToPixels(6105));

    const QFont font12 = simSunFont(12);
    // The labels the user clicks: SimSun 9 pt underlined, links to a screen reader.
    const QFont link9 = simSunFont(9, true);
    auto linkLabel = [&](const QString& name, const QString& caption, const QString& description) {
        auto* label = new CaptionLabel(caption, this);
        label->setObjectName(name);
        label->setFont(link9);
        label->setClickable(true);
        label->setAccessibleDescription(description);
        return label;
    };

    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setFont(font12);
    Text1->setAccessibleName(QStringLiteral("要分析的网站"));
    setTwipsGeometry(Text1, 1300, 240, 3275, 375);

    Command1 = new QPushButton(QStringLiteral("查询"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setDefault(true);
    Command1->setAutoDefault(true);
    setTwipsGeometry(Command1, 4560, 240, 855, 375);
    connect(Command1, &QPushButton::clicked, this, &Form1::onCommand1Clicked);

    Command2 = new QPushButton(QStringLiteral("暂停"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setAutoDefault(true); // Enter on a focused button clicks that button
    Command2->setEnabled(false);
    setTwipsGeometry(Command2, 5400, 240, 855, 375);
    connect(Command2, &QPushButton::clicked, this, &Form1::onCommand2Clicked);

    Text2 = new QLineEdit(QStringLiteral("http://"), this);
    Text2->setObjectName(QStringLiteral("Text2"));
    Text2->setFont(font12);
    Text2->setEnabled(false);
    Text2->setAccessibleName(QStringLiteral("http://"));
    Text2->setAccessibleDescription(QStringLiteral("网址前缀，输入网站时不必填写"));
    setTwipsGeometry(Text2, 360, 240, 925, 375);

    tb1 = new FlexGrid(1, 3, this);
    tb1->setObjectName(QStringLiteral("tb1"));
    tb1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    tb1->setFont(simSunFont(9));
    tb1->setAccessibleName(QStringLiteral("外链域名"));
    tb1->setAccessibleDescription(
        QStringLiteral("每行一个链接来源域名及其链接数，按链接数排序；双击域名可列出链接"));
    setTwipsGeometry(tb1, 340, 960, 5895, 3855);
    connect(tb1, &FlexGrid::DblClick, this, &Form1::onTb1DoubleClicked);

    auto* tb1Menu = tb1Menu_ = new GridMenu(tb1);
    tb1Menu->addRowAction(QStringLiteral("查看链接"), [this] { onTb1DoubleClicked(); });
    tb1Menu->addRowAction(QStringLiteral("在浏览器中打开"), [this] {
        linkto(QStringLiteral("http://") + tb1->TextMatrix(tb1->Row(), 1) + u'/');
    });
    // In the history file with the site's snapshots, while there is one.
    disavowMarks_ = std::make_unique<StoredDisavowMarks>(
        [this] { return history_ ? history_->store() : nullptr; });
    disavow_ = new DisavowActions(
        this, tb1, tb1Menu, disavowMarks_.get(),
        [this] { return rowsSite_.isEmpty() ? runSite(Text1->text()) : rowsSite_; },
        [this] { return exportFolder(); });
    tb1Menu->addSeparator();
    groupByDomain_ = tb1Menu->addAction(QStringLiteral("按主域名合并"));
    groupByDomain_->setCheckable(true);
    groupByDomain_->setChecked(QSettings().value(groupByDomainKey, false).toBool());
    run.setGroupedByDomain(groupByDomain_->isChecked());
    connect(groupByDomain_, &QAction::toggled, this, &Form1::onGroupByDomainToggled);
    // Offered while the rows come from an import whose files said which links are nofollow.
    excludeNofollow_ = new QAction(QStringLiteral("排除nofollow"), tb1Menu);
    excludeNofollow_->setCheckable(true);
    excludeNofollow_->setChecked(QSettings().value(excludeNofollowKey, false).toBool());
    run.setNofollowExcluded(excludeNofollow_->isChecked());
    connect(excludeNofollow_, &QAction::toggled, this, [this](bool on) {
        QSettings().setValue(excludeNofollowKey, on);
        showRegrouped(run.setNofollowExcluded(on));
    });

    Label1 = new CaptionLabel(QStringLiteral("本工具能分析所有外链的前1000条"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAccessibleDescription(QStringLiteral("状态"));
    setTwipsGeometry(Label1, statusLeft, 720, 2700, 180);
    Label1->setAutoSize(true);

    copyright = linkLabel(QStringLiteral("copyright"), endpoints_.publisherHost,
                          QStringLiteral("打开出品方主页"));
    setTwipsGeometry(copyright, 5040, 5880, 1455, 180);
    copyright->fitHeightToFont();
    connect(copyright, &CaptionLabel::clicked, this, &Form1::onCopyrightClicked);

    static constexpr QPoint newsPlaces[] = {{360, 5040}, {600, 5040}, {360, 5280}, {600, 5280}};
    for (int i = 0; i < int(news.size()); ++i) {
        CaptionLabel* label = linkLabel(QStringLiteral("news%1").arg(i), QString(),
                                        QStringLiteral("新闻 %1，在浏览器中打开").arg(i + 1));
        label->setForegroundRole(QPalette::Shadow);
        setTwipsGeometry(label, newsPlaces[i].x(), newsPlaces[i].y(), 90, 180);
        label->setAutoSize(true);
        connect(label, &CaptionLabel::clicked, this, [this, i] { onNewsClicked(i); });
        news[i] = label;
    }

    Label2 = linkLabel(QStringLiteral("Label2"), QStringLiteral("新功能"),
                       QStringLiteral("提交您的意见或建议"));
    setTwipsGeometry(Label2, 4320, 5880, 615, 180);
    Label2->fitHeightToFont();
    connect(Label2, &CaptionLabel::clicked, this, &Form1::onLabel2Clicked);

    Label3 = linkLabel(QStringLiteral("Label3"), QStringLiteral("导出"),
                       QStringLiteral("把域名列表导出到文本文件"));
    QPalette blue = Label3->palette();
    blue.setColor(QPalette::WindowText, QColor(0, 0, 255));
    Label3->setPalette(blue);
    setTwipsGeometry(Label3, 4200, 720, 375, 180);
    Label3->fitHeightToFont();
    Label3->hide();
    connect(Label3, &CaptionLabel::clicked, this, &Form1::onLabel3Clicked);

    // Files dropped anywhere on the window are imported, the site box included, which would
    // otherwise take their addresses as text.
    setAcceptDrops(true);
    Text1->installEventFilter(this);

    // Disabled controls are passed over, so Tab goes Text1, Command1, Command2 while a run is
    // under way, then the grid. The clickable labels come last, for keyboard users: each is in
    // the chain only while it is shown and has a caption.
    QWidget* const tabChain[] = {Text1,   Command1, Command2, Text2,   tb1,    Label3,
                                 news[0], news[1],  news[2],  news[3], Label2, copyright};
    for (std::size_t i = 1; i < std::size(tabChain); ++i)
        setTabOrder(tabChain[i - 1], tabChain[i]);
}

void Form1::formLoad()
{
    ver = ostrelVersion;
    setWindowTitle(windowTitle() + QStringLiteral(" V") + QString::number(ver));
    centreOnScreen(this);
    WheelHook::install(this);
    run.pageNo = 1;
    tb1->setColAlignment(1, 0);
    tb1->setColAlignment(2, 0);
    tb1->setColWidth(0, 500);
    tb1->setColWidth(1, hostColWidth);
    tb1->setColWidth(2, countColWidth);
    urlfetch(QStringLiteral("http://") + endpoints_.publisherHost +
                 QStringLiteral("/qzupdate/inlink/?ver=") + QString::number(ver),
             QStringLiteral("GET"), QString(), QStringLiteral("GB2312"),
             QStringLiteral("showNews"));
}

void Form1::keyPressEvent(QKeyEvent* event)
{
    // Command1 is the window's default button: Enter anywhere but on another button runs it.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        Command1->isEnabled()) {
        Command1->click();
        return;
    }
    if (event->key() == Qt::Key_Escape && importing_) {
        cancelImport();
        return;
    }
    QWidget::keyPressEvent(event);
}

void Form1::closeEvent(QCloseEvent* event)
{
    // The program ends with its window: an import still reading stops within a piece of its file.
    cancelImport();
    if (form2_)
        form2_->close();
    if (form3_)
        form3_->close();
    // The history window is a window of its own too: left open, it would keep the program up.
    if (history_ && history_->window())
        history_->window()->close();
    event->accept();
}

// ---------------------------------------------------------------------------------------------
// Requests

void Form1::urlfetch(const QString& url, const QString& method, const QString& payload,
                     const QString& charset, const QString& handler)
{
    ::urlfetch(*network_, *this, url, method, payload, charset, handler, requestLimits);
}

// ---------------------------------------------------------------------------------------------
// The analysis run

void Form1::onCommand1Clicked()
{
    currentDomain.clear();
    importedName_.reset();
    importedFiles_.clear();
    rowsSite_.clear();
    Label1->move(twipsToPixels(statusLeft), Label1->y());
    Command1->setEnabled(false);
    Command2->setEnabled(true);
    Command2->setText(QStringLiteral("暂停"));
    tb1->Clear();
    tb1->setRows(1);
    takeStep(run.start());
    offerNofollow();
}

void Form1::onCommand2Clicked()
{
    if (importing_) {
        cancelImport();
        return;
    }
    if (!run.pause) {
        Command2->setText(QStringLiteral("开始"));
        run.hold();
        return;
    }
    Command2->setText(QStringLiteral("暂停"));
    takeStep(run.resume());
}

void Form1::fetchResult(qint16 er, const QString& html)
{
    if (er != 0) {
        takeStep(run.requestFailed(html));
        return;
    }
    // A page of the explorer is read in well under a millisecond. One that a broken or hostile
    // server swells to megabytes would hold the window for a tenth of a second and more, so it is
    // read on another thread, and the run takes it when it is ready: until then the reply counts
    // as still on its way.
    constexpr qsizetype largePage = 256 * 1024;
    if (html.size() < largePage) {
        takeStep(run.pageArrived(html));
        return;
    }
    auto* reading = new QFutureWatcher<PageTake>(this);
    connect(reading, &QFutureWatcherBase::finished, this, [this, reading] {
        reading->deleteLater();
        takeStep(run.pageTaken(reading->result()));
    });
    reading->setFuture(QtConcurrent::run(takePage, html));
}

void Form1::takeStep(RunStep step)
{
    for (const QString& warning : step.warnings)
        MessageBox::show(this, warning, QStringLiteral("Warning"));
    // A fast service answers many pages a frame, and laying out and painting the progress line
    // after each cost more than the pages themselves: while the run walks, the line shows the
    // latest progress once a frame. The end's totals show at once, and the export label is
    // placed after them.
    if (step.next == RunStep::Next::End) {
        statusTimer_->stop();
        Label1->setCaption(step.status);
    } else if (!step.status.isEmpty()) {
        pendingStatus_ = step.status;
        if (!statusTimer_->isActive())
            statusTimer_->start();
    }
    switch (step.next) {
    case RunStep::Next::Wait:
        break;
    case RunStep::Next::RequestPage:
        requestResultPage(step.page);
        break;
    case RunStep::Next::End:
        endRun(std::move(step.rows));
        break;
    }
}

void Form1::requestResultPage(qint32 b)
{
    // The site goes into the address as the user typed it, read anew for every page.
    const QString url = QStringLiteral("http://") + endpoints_.explorerHost +
                        QStringLiteral("/search?p=") + Text1->text() +
                        QStringLiteral("&bwm=i&bwmf=s&bwmo=s&b=") + QString::number(b);
    // The explorer's pages are about 13 KiB; one of a megabyte is no page of it, but a server's
    // way to take memory and time.
    RequestLimits limits = requestLimits;
    limits.maxBodyBytes = std::min<qint64>(limits.maxBodyBytes, 1024 * 1024);
    ::urlfetch(*network_, *this, url, QStringLiteral("GET"), QString(), QStringLiteral("UTF-8"),
               QStringLiteral("fetchResult"), limits);
}

void Form1::endRun(QList<QStringList> rows)
{
    showRows(std::move(rows));
    Command1->setEnabled(true);
    Command2->setEnabled(false);
    if (history_)
        history_->ended(rowsSite_, importedFiles_, run.dict);
}

void Form1::useHistory(const QString& path)
{
    history_ =
        new HistoryControl(path, this, tb1, tb1Menu_, [this] { return run.groupedByDomain(); });
    connect(
        history_, &HistoryControl::linksRequested, this,
        [this](const QString& host, const QStringList& links) { showLinkList(host, links, {}); });
}

void Form1::showRows(QList<QStringList> rows)
{
    // A count is shown whole: when the widest needs more than the count column was made for, the
    // column takes it from the host column beside it, which has room to spare. Counts differ in
    // their digits, so the longest is the widest.
    const QString* widest = nullptr;
    for (const QStringList& row : rows)
        if (row.size() > 2 && (!widest || row[2].size() > widest->size()))
            widest = &row[2];
    const int countWidth =
        std::max(countColWidth,
                 widest ? pixelsToTwips(tb1->fontMetrics().horizontalAdvance(*widest) + 8) : 0);
    tb1->setColWidth(1, hostColWidth + countColWidth - countWidth);
    tb1->setColWidth(2, countWidth);
    rowsSite_ = importedFiles_.isEmpty()
                    ? runSite(Text1->text())
                    : importSite(Text1->text(), targetDomain(run.dict), importedFiles_.front());
    tb1->setRows(1);
    for (QStringList& row : rows)
        tb1->addRow(std::move(row));
    // Most links on top; the numbers in column 0 keep the order in which the run met the hosts.
    tb1->setCol(2);
    tb1->setSort(FlexGrid::SortGenericDescending);

    // After the status line, whose length has just changed. The totals of a long import would
    // push the label past the grid's right edge, out of the window: the line then starts as
    // much further left as it must.
    const QRect grid = twipsGeometry(tb1);
    const int spill = statusLeft + pixelsToTwips(Label1->width()) + 200 +
                      pixelsToTwips(Label3->width()) - (grid.left() + grid.width());
    Label1->move(twipsToPixels(std::max(grid.left(), statusLeft - std::max(spill, 0))),
                 Label1->y());
    const int exportLeft = pixelsToTwips(Label1->width()) + pixelsToTwips(Label1->x()) + 200;
    Label3->move(twipsToPixels(exportLeft), Label3->y());
    Label3->show();
    if (history_)
        history_->markRows();
}

void Form1::onGroupByDomainToggled(bool on)
{
    QSettings().setValue(groupByDomainKey, on);
    showRegrouped(run.setGroupedByDomain(on));
}

void Form1::offerNofollow()
{
    // Out of the menu rather than hidden in it, where a screen reader would still find it.
    auto* menu = static_cast<QMenu*>(excludeNofollow_->parent());
    if (run.knowsRel())
        menu->addAction(excludeNofollow_);
    else
        menu->removeAction(excludeNofollow_);
}

void Form1::showRegrouped(const RunStep& step)
{
    // The rows on show are regrouped from what the run found, without asking again.
    if (step.next != RunStep::Next::End)
        return;
    Label1->setCaption(step.status);
    showRows(step.rows);
}

QString Form1::exportFolder() const
{
    return hostListFolder(programFolder.isEmpty() ? QCoreApplication::applicationDirPath()
                                                  : programFolder);
}

void Form1::onLabel3Clicked()
{
    // The host list is made at the end of a run or an import: exporting before then would
    // replace the last export with an empty file.
    if (run.running() || importing_) {
        MessageBox::show(this, QStringLiteral("查询或导入尚未完成,不能导出,之前导出的文件保持不变"),
                         QStringLiteral("Warning"));
        return;
    }
    const QString site = importedName_.value_or(Text1->text());
    const HostListExport saved = exportHostList(exportFolder(), site, run.domainStr);
    if (!saved.ok) {
        MessageBox::show(
            this, QStringLiteral("导出到") + saved.path + QStringLiteral("失败:") + saved.reason,
            QStringLiteral("Warning"));
        return;
    }
    MessageBox::show(this, QStringLiteral("导出到") + saved.path + QStringLiteral("成功!"),
                     QStringLiteral("提示"));
}

// ---------------------------------------------------------------------------------------------
// The link list and the browser

void Form1::onTb1DoubleClicked()
{
    currentDomain = tb1->TextMatrix(tb1->Row(), 1);
    if (run.listsNoLinks(currentDomain)) {
        // A row of a file of referring domains: an empty window would say less than this.
        Label1->setCaption(oneLine(currentDomain, 100) +
                           QStringLiteral(":导入的文件只列出了这个域名,没有列出它的链接"));
        return;
    }
    // A host the tally never met (no run yet, or a run still walking) shows an empty list.
    showLinkList(currentDomain, run.linksOf(currentDomain),
                 {run.detailHeaders(), run.detailsOf(currentDomain)});
}

void Form1::showLinkList(const QString& host, const QStringList& links, const LinkColumns& more)
{
    if (!form2_) {
        form2_ = std::make_unique<Form2>();
        connect(form2_.get(), &Form2::linkChosen, this, [this](const QString& link) {
            // The publisher asked to be named as where the visit came from.
            linkto(link + QStringLiteral("#From:") + endpoints_.publisherHost);
        });
        connect(form2_.get(), &Form2::disavowRequested, disavow_, &DisavowActions::disavowLink);
        form2_->setRowLook([this](const QString& link) { return disavow_->look(link); });
        connect(disavow_, &DisavowActions::marksChanged, form2_.get(), &Form2::refreshLooks);
    }
    form2_->showLinks(host, links, more);
}

void Form1::linkto(const QString& url)
{
    // Links come from result pages, exports and the bulletin. Only the browser is ever asked,
    // and only for a web page: a file, a share or another program stays shut, with a word why.
    const QUrl page = webPageToOpen(url);
    if (page.isEmpty()) {
        Label1->setCaption(QStringLiteral("只能在浏览器中打开网页链接:") + oneLine(url, 100));
        return;
    }
    // The browser runs on its own and is not followed; only a page that could not be handed to
    // one (no browser, or none that would start) is told of.
    if (!QDesktopServices::openUrl(page))
        Label1->setCaption(QStringLiteral("未能打开链接:") + oneLine(url, 100));
}

void Form1::onCopyrightClicked()
{
    linkto(QStringLiteral("http://") + endpoints_.publisherHost);
}

// ---------------------------------------------------------------------------------------------
// The publisher: news bulletin and suggestions

void Form1::showNews(qint16 er, const QString& html)
{
    if (er != 0)
        return;
    const Bulletin bulletin = parseBulletin(html);
    // A newer version turns the query off whatever else the bulletin holds. Only disabling here:
    // a run in progress enables the button again when it ends.
    if (bulletin.version && *bulletin.version > ver)
        Command1->setEnabled(false);
    if (!bulletin.hasNews)
        return;

    newsLinkArr.clear();
    for (int i = 0; i < bulletin.items.size(); ++i) {
        // A caption is one line no wider than its half of the row under the grid, whatever the
        // bulletin holds: grown taller or wider, a label would lie over its neighbours, and a
        // click meant for one would open another's link. What it opens shows as its tooltip.
        const QString caption = oneLine(bulletin.items[i].caption, 500);
        news[i]->setCaption(
            news[i]->fontMetrics().elidedText(caption, Qt::ElideRight, twipsToPixels(newsWidth)));
        newsLinkArr.append(bulletin.items[i].link.value_or(QString()));
        // A tooltip reads markup: the link goes in as escaped text.
        const QString link = oneLine(newsLinkArr.last(), 500);
        news[i]->setToolTip(link.isEmpty() ? QString()
                                           : QStringLiteral("<p>") + link.toHtmlEscaped() +
                                                 QStringLiteral("</p>"));
    }
    // The labels have taken the width of their captions; the second of each row follows the
    // first one's right edge, also in a row that received nothing.
    for (int first : {0, 2}) {
        const QRect placed = twipsGeometry(news[first]);
        CaptionLabel* second = news[first + 1];
        second->move(twipsToPixels(placed.left() + placed.width() + 200), second->y());
    }
}

void Form1::onNewsClicked(int index)
{
    // A label without a link (no bulletin, fewer items, or an item that had none) does nothing.
    if (index < newsLinkArr.size() && !newsLinkArr[index].isEmpty())
        linkto(newsLinkArr[index]);
}

void Form1::onLabel2Clicked()
{
    if (!form3_) {
        form3_ = std::make_unique<Form3>();
        connect(form3_.get(), &Form3::submitted, this, &Form1::sendSuggestion);
    }
    form3_->display();
}

void Form1::sendSuggestion(const QString& text)
{
    urlfetch(QStringLiteral("http://") + endpoints_.publisherHost +
                 QStringLiteral("/qzupdate/inlink/a/"),
             QStringLiteral("post"), QStringLiteral("c=") + encodeSuggestion(text),
             QStringLiteral("utf-8"), QStringLiteral("suggestOK"));
}

void Form1::suggestOK(qint16 er, const QString& html)
{
    if (er == 0) {
        MessageBox::show(this,
                         QStringLiteral("您的建议已经提交成功，我会总结所有建议意见对功能进行更新，"
                                        "谢谢。"),
                         QStringLiteral("提示"));
        return;
    }
    // Thanking the user for a suggestion that never arrived would lose it for good: say so, so
    // that it can be sent again.
    MessageBox::show(this, QStringLiteral("您的建议未能送达，请稍后再提交一次。\n原因：") + html,
                     QStringLiteral("Warning"));
}
