// Vesk's main window: the file list with its totals, the output options, the
// tools found beside the program and the conversion run.
#pragma once

#include "conversion_run.hpp"
#include "vesk_dialogs.hpp"

#include <QMainWindow>

#include <memory>
#include <set>
#include <string>

class QAction;
class QCheckBox;
class QFileDialog;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QMenuBar;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QStatusBar;
class QTimer;
class QToolButton;
class QFrame;

enum class CloseAction { caNone, caFree };

class TVeskForm : public QMainWindow {
    Q_OBJECT

public:
    // programPath is the program's own file; brenmo and calvio are looked for
    // beside it, and nowhere else.
    explicit TVeskForm(QWidget* owner = nullptr, const QString& programPath = QString(),
                       std::unique_ptr<VeskDialogs> dialogs = nullptr);
    ~TVeskForm() override;

    // Components, named by role.
    QMenuBar* MainMenu1;
    QMenu* File1;
    QAction* Exit1;
    QAction* About1;
    QStatusBar* StatusBar1;
    QLabel* StatusPanels[2];
    QWidget* Panel1;
    QLabel* Image1;
    QPushButton* AddFilesBtn;
    QPushButton* AddDirectoriesBtn;
    QCheckBox* IncSubDirBox;
    QPushButton* RemoveBtn;
    QFrame* Shape1;
    QLabel* Label5;
    QRadioButton* SourceBtn;
    QRadioButton* DirChoiceBtn;
    QLineEdit* DirNameEdit;
    QToolButton* DirSelectBtn;
    QLabel* Label3;
    QLabel* Label7;
    QLineEdit* GdsExtEdit;
    QLabel* Label6;
    QLabel* Label8;
    QLineEdit* AscExtEdit;
    QPushButton* StartBtn;
    QLabel* Label2;
    QLabel* TimeLabel;
    QProgressBar* ProgressBar1;
    QWidget* Panel2;
    QLabel* Panel3;
    QListWidget* FileListBox;
    QWidget* Panel4;
    QLabel* NFilesLabel;
    QLabel* SizeLabel;
    QLabel* SelFilesLabel;
    QLabel* SelSizeLabel;
    QFileDialog* OpenDialog1;
    QTimer* Timer1;

    bool BrenmoFound = false;
    bool CalvioFound = false;
    std::string BrenmoPath;
    std::string CalvioPath;
    RunState State = RunIdle;

    // Handlers.
    void FormClose(CloseAction& action);
    void Exit1Click();
    void About1Click();
    void OnOutputChange();
    void DirSelectBtnClick();
    void Timer1Timer();
    void AddFilesBtnClick();
    void AddDirectoriesBtnClick();
    void RemoveBtnClick();
    void FileListBoxKeyDown(int key);
    void FileListBoxClick();
    void StartBtnClick();

    void UpdateTotals();
    double SumFileSizes(bool selectedOnly) const;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildLeftPanel();
    void buildRightPanel();
    void locateTools();
    // Whether the list and the run's options refuse every edit: while a run
    // is on, and while a folder scan is.
    bool busy() const;
    RunOptions readRunOptions() const;
    void deleteSelectedEntries();
    void rebuildList(const std::set<std::string>& paths);
    std::set<std::string> currentEntries() const;

    QString programPath_;
    std::unique_ptr<VeskDialogs> dialogs_;
    bool scanning_ = false;
    // The window closed during the scan: it stops at its next pump.
    bool scanEnded_ = false;
    // The controls of the scan's and the run's options, whose input is
    // refused while a run or a folder scan is on.
    QList<QObject*> optionControls_;
};
