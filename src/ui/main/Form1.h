// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "analysis/AnalysisRun.h"
#include "analysis/LinkImport.h"
#include "http/UrlFetch.h"
#include "platform/Endpoints.h"

#include <QStringList>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class CaptionLabel;
class DisavowActions;
class DisavowMarks;
class QAction;
class FlexGrid;
class GridMenu;
class HistoryControl;
struct LinkColumns;
class Form2;
class Form3;
class QDragEnterEvent;
class QDropEvent;
class QFutureWatcherBase;
class QLineEdit;
class QNetworkAccessManager;
class QPushButton;
class QTimer;

// The main window: the site box, the query and pause buttons, the status line, the host grid,
// the export label, the news labels and the publisher's labels. It sends every request of the
// program (urlfetch), takes every reply, and passes what happens to a run on to its AnalysisRun.
class Form1 : public QWidget {
    Q_OBJECT
public:
    explicit Form1(const Endpoints& endpoints, QWidget* parent = nullptr);
    ~Form1() override;

    // Starts an asynchronous request; its reply is handed to the method of this window named
    // `handler`, with the arguments (qint16 er, const QString& html).
    void urlfetch(const QString& url, const QString& method, const QString& payload,
                  const QString& charset, const QString& handler);

    // Reply handlers, called by name when their request has ended.
    Q_INVOKABLE void fetchResult(qint16 er, const QString& html);
    Q_INVOKABLE void showNews(qint16 er, const QString& html);
    Q_INVOKABLE void suggestOK(qint16 er, const QString& html);

    // Opens a web page (http or https) in the user's default browser, exactly as given; any other
    // address is refused in the status line.
    void linkto(const QString& url);

    // Reads link exports as one import on the thread pool, then ends as a run ends. Ignored
    // while a run walks or another import reads. Drops and the command line come here.
    void importFiles(const QStringList& paths);
    // What an import reads its files with; tests put a reader of their own here.
    std::function<ImportResult(const QStringList&, const ImportProgress&, const ImportCancelled&)>
        importReader = importLinkExports;
    // Ends an import that is reading, with nothing taken from it (Escape, 暂停, closing).
    void cancelImport();

    // Keeps every run and import in the history file at `path` from now on, and offers the
    // history in the grid's menu. Without it (tests) nothing is kept.
    void useHistory(const QString& path);
    HistoryControl* history() const { return history_; }

    const Endpoints& endpoints() const { return endpoints_; }
    // Limits of every request this window sends; tests shorten them.
    RequestLimits requestLimits;
    // Where the host list is exported while the user may write there; empty means the folder of
    // the program itself. Tests point it elsewhere.
    QString programFolder;

    AnalysisRun run;         // the walk through the result pages and what it found
    QString currentDomain;   // the host whose links the link list window shows
    qint32 ver = 0;          // the program's version, 200912290 once loaded
    QStringList newsLinkArr; // the link of each news label

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    void formLoad();

    void onCommand1Clicked();
    void onCommand2Clicked();
    void takeStep(RunStep step);
    void requestResultPage(qint32 b);
    void endRun(QList<QStringList> rows);
    void showRows(QList<QStringList> rows);
    void onGroupByDomainToggled(bool on);
    void showRegrouped(const RunStep& step);
    void offerNofollow();

    bool acceptsImport() const;
    void showImportProgress(int percent);
    void importEnded(const QStringList& paths, ImportResult result);

    QString exportFolder() const;
    void onLabel3Clicked();
    void onTb1DoubleClicked();
    void showLinkList(const QString& host, const QStringList& links, const LinkColumns& more);
    void onCopyrightClicked();
    void onNewsClicked(int index);
    void onLabel2Clicked();
    void sendSuggestion(const QString& text);

    Endpoints endpoints_;
    QNetworkAccessManager* network_;
    // The status line while a run walks, shown at most once a frame (see takeStep).
    QString pendingStatus_;
    QTimer* statusTimer_;
    bool importing_ = false;
    QFutureWatcherBase* reading_ = nullptr; // the import reading, while it reads
    bool command1WasEnabled_ = true;
    QString statusBeforeImport_;
    // The name the host list is exported under while the grid shows an import, instead of the
    // site text.
    std::optional<QString> importedName_;
    // The site the rows on show are of, as the history names it: their snapshot and their
    // disavow marks are kept under it.
    QString rowsSite_;

    QLineEdit* Text1;
    QPushButton* Command1;
    QPushButton* Command2;
    QLineEdit* Text2;
    FlexGrid* tb1;
    CaptionLabel* Label1;
    CaptionLabel* copyright;
    std::array<CaptionLabel*, 4> news{};
    CaptionLabel* Label2;
    CaptionLabel* Label3;
    QAction* groupByDomain_;   // "按主域名合并" in the grid's menu
    QAction* excludeNofollow_; // "排除nofollow" in the grid's menu
    std::unique_ptr<DisavowMarks> disavowMarks_;
    DisavowActions* disavow_;
    GridMenu* tb1Menu_;
    HistoryControl* history_ = nullptr;
    QStringList importedFiles_; // the names of the files the grid's import read, else empty

    std::unique_ptr<Form2> form2_; // the link list window, made on first use
    std::unique_ptr<Form3> form3_; // the suggestion window, made on first use
};
