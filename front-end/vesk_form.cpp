#include "vesk_form.hpp"

#include "about_dialog.hpp"
#include "content_classifier.hpp"
#include "conversion_run.hpp"
#include "converter_child.hpp"
#include "file_list.hpp"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <cstdio>
#include <ctime>

namespace {

constexpr int leftPanelWidth = 215;

// The dotted frame with curved corners around the output options.
class DottedFrame : public QFrame {
public:
    using QFrame::QFrame;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 10, 10);
    }
};

// A flat button draws no frame, and with it the style draws no focus: this
// one adds the style's focus frame, shown as the style shows it on others.
class FlatButton : public QPushButton {
public:
    FlatButton(const QString& text, QWidget* parent) : QPushButton(text, parent) { setFlat(true); }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QPushButton::paintEvent(event);
        if (!hasFocus())
            return;
        QStylePainter painter(this);
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect().adjusted(2, 2, -2, -2);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
};

QLabel* makeLabel(QWidget* parent, const QString& text, QRect geometry)
{
    auto* label = new QLabel(text, parent);
    label->setGeometry(geometry);
    return label;
}

QPushButton* makeButton(QWidget* parent, const QString& text, QRect geometry)
{
    auto* button = new QPushButton(text, parent);
    button->setGeometry(geometry);
    return button;
}

QLineEdit* makeEdit(QWidget* parent, const QString& text, QRect geometry)
{
    auto* edit = new QLineEdit(text, parent);
    edit->setGeometry(geometry);
    edit->setEnabled(false);
    return edit;
}

QString formatInt(const char* format, long long value)
{
    return QString::asprintf(format, value);
}

// Input by which a check box, radio button or edit field changes its own value.
bool changesAnOption(QEvent::Type type)
{
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::InputMethod:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::ContextMenu:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

}  // namespace

TVeskForm::TVeskForm(QWidget* owner, const QString& programPath, std::unique_ptr<VeskDialogs> dialogs)
    : QMainWindow(owner),
      programPath_(programPath.isEmpty() ? QCoreApplication::applicationFilePath() : programPath),
      dialogs_(dialogs ? std::move(dialogs) : std::make_unique<VeskDialogs>())
{
    setWindowTitle(QStringLiteral("Quarnel"));
    // A fixed window: it can be minimised and closed, never maximised.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

    MainMenu1 = menuBar();
    File1 = MainMenu1->addMenu(QStringLiteral("&File"));
    Exit1 = File1->addAction(QStringLiteral("E&xit"));
    About1 = MainMenu1->addAction(QStringLiteral("&About"));
    connect(Exit1, &QAction::triggered, this, &TVeskForm::Exit1Click);
    connect(About1, &QAction::triggered, this, &TVeskForm::About1Click);

    StatusBar1 = statusBar();
    StatusBar1->setSizeGripEnabled(false);
    for (QLabel*& panel : StatusPanels) {
        panel = new QLabel(StatusBar1);
        panel->setFixedWidth(250);
        StatusBar1->addWidget(panel);
    }

    auto* client = new QWidget(this);
    auto* clientLayout = new QHBoxLayout(client);
    clientLayout->setContentsMargins(0, 0, 0, 0);
    clientLayout->setSpacing(0);
    setCentralWidget(client);
    buildLeftPanel();
    buildRightPanel();
    clientLayout->addWidget(Panel1);
    clientLayout->addWidget(Panel2, 1);

    OpenDialog1 = new QFileDialog(this);
    OpenDialog1->setWindowTitle(QStringLiteral("Add Files to Convert"));
    OpenDialog1->setFileMode(QFileDialog::ExistingFiles);
    OpenDialog1->setNameFilters({QStringLiteral("Layout Files (*.gds *.gds2 *.gdsii *.strm *.agf *.asc *.gdsasc)"),
                                 QStringLiteral("All Files (*)")});
    OpenDialog1->setSizeGripEnabled(true);

    Timer1 = new QTimer(this);
    Timer1->setInterval(100);
    connect(Timer1, &QTimer::timeout, this, &TVeskForm::Timer1Timer);
    Timer1->start();

    setFixedSize(670, 658 + MainMenu1->sizeHint().height());
    locateTools();
}

TVeskForm::~TVeskForm() = default;

void TVeskForm::buildLeftPanel()
{
    Panel1 = new QWidget;
    Panel1->setFixedWidth(leftPanelWidth);
    QWidget* p = Panel1;

    Image1 = new QLabel(p);
    Image1->setGeometry(0, 0, leftPanelWidth, 658);
    Image1->setScaledContents(true);
    Image1->setPixmap(QPixmap(QStringLiteral(":/pictures/panel.png")));

    AddFilesBtn = makeButton(p, QStringLiteral("Add Files"), {16, 14, 183, 30});
    AddDirectoriesBtn = makeButton(p, QStringLiteral("Add Directories"), {16, 52, 183, 30});
    IncSubDirBox = new QCheckBox(QStringLiteral("Include Subdirectories"), p);
    IncSubDirBox->setGeometry(18, 88, 181, 22);
    IncSubDirBox->setChecked(true);
    RemoveBtn = makeButton(p, QStringLiteral("Remove Selected"), {16, 116, 183, 30});

    Shape1 = new DottedFrame(p);
    Shape1->setGeometry(8, 172, 199, 196);
    Label5 = makeLabel(p, QStringLiteral("Output options"), {20, 162, 110, 18});
    Label5->setAutoFillBackground(true);
    Label5->setAlignment(Qt::AlignCenter);

    SourceBtn = new QRadioButton(QStringLiteral("source directory"), p);
    SourceBtn->setGeometry(20, 188, 175, 22);
    SourceBtn->setChecked(true);
    DirChoiceBtn = new QRadioButton(p);
    DirChoiceBtn->setGeometry(20, 218, 20, 22);
    DirNameEdit = makeEdit(p, QStringLiteral("./"), {42, 218, 124, 22});
    DirSelectBtn = new QToolButton(p);
    DirSelectBtn->setGeometry(170, 216, 26, 26);
    DirSelectBtn->setAutoRaise(true);
    DirSelectBtn->setIcon(style()->standardIcon(QStyle::SP_DirIcon));
    DirSelectBtn->setEnabled(false);
    connect(SourceBtn, &QRadioButton::clicked, this, &TVeskForm::OnOutputChange);
    connect(DirChoiceBtn, &QRadioButton::clicked, this, &TVeskForm::OnOutputChange);
    connect(DirSelectBtn, &QToolButton::clicked, this, &TVeskForm::DirSelectBtnClick);

    Label3 = makeLabel(p, QStringLiteral("Extension for"), {20, 256, 90, 16});
    Label7 = makeLabel(p, QStringLiteral("GDSII files:"), {20, 272, 90, 16});
    GdsExtEdit = makeEdit(p, QStringLiteral(".gds2"), {112, 262, 84, 22});
    Label6 = makeLabel(p, QStringLiteral("Extension for"), {20, 306, 90, 16});
    Label8 = makeLabel(p, QStringLiteral("ASCII files:"), {20, 322, 90, 16});
    AscExtEdit = makeEdit(p, QStringLiteral(".gdsasc"), {112, 312, 84, 22});
    // An extension holding a '/' would put the output outside its folder, and
    // a NUL would end the path the tool is given before the one checked here.
    auto* extensionOnly = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[^/\\x{0}]*")), this);
    GdsExtEdit->setValidator(extensionOnly);
    AscExtEdit->setValidator(extensionOnly);

    StartBtn = new FlatButton(QStringLiteral("Start"), p);
    StartBtn->setGeometry(16, 392, 183, 56);
    QFont startFont = StartBtn->font();
    startFont.setPointSize(16);
    startFont.setBold(true);
    startFont.setUnderline(true);
    StartBtn->setFont(startFont);
    StartBtn->setEnabled(false);
    connect(StartBtn, &QPushButton::clicked, this, &TVeskForm::StartBtnClick);

    Label2 = makeLabel(p, QStringLiteral("Time Left:"), {16, 466, 80, 18});
    TimeLabel = makeLabel(p, QString(), {100, 466, 99, 18});
    ProgressBar1 = new QProgressBar(p);
    ProgressBar1->setGeometry(16, 492, 183, 20);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);

    connect(AddFilesBtn, &QPushButton::clicked, this, &TVeskForm::AddFilesBtnClick);
    connect(AddDirectoriesBtn, &QPushButton::clicked, this, &TVeskForm::AddDirectoriesBtnClick);
    connect(RemoveBtn, &QPushButton::clicked, this, &TVeskForm::RemoveBtnClick);

    // A toggle of the box that slipped in before the timer disables it
    // would silently change the next scan.
    optionControls_ = {IncSubDirBox, SourceBtn, DirChoiceBtn, DirNameEdit, GdsExtEdit, AscExtEdit};
    for (QObject* control : optionControls_)
        control->installEventFilter(this);
}

void TVeskForm::buildRightPanel()
{
    Panel2 = new QWidget;
    auto* layout = new QVBoxLayout(Panel2);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    Panel3 = new QLabel(QStringLiteral("File List:"));
    Panel3->setFixedHeight(50);
    Panel3->setContentsMargins(12, 0, 0, 0);
    Panel3->setStyleSheet(QStringLiteral("background-color: #1f3a5f; color: white; font-weight: bold;"));

    FileListBox = new QListWidget;
    FileListBox->setSelectionMode(QAbstractItemView::ExtendedSelection);
    FileListBox->installEventFilter(this);
    connect(FileListBox, &QListWidget::itemSelectionChanged, this, &TVeskForm::FileListBoxClick);

    Panel4 = new QWidget;
    Panel4->setFixedHeight(41);
    auto* totals = new QGridLayout(Panel4);
    totals->setContentsMargins(8, 2, 8, 2);
    totals->setVerticalSpacing(0);
    NFilesLabel = new QLabel(QStringLiteral("Files: 0"));
    SizeLabel = new QLabel(QStringLiteral("Size: 0 kB"));
    SelFilesLabel = new QLabel(QStringLiteral("Selected Files: 0"));
    SelSizeLabel = new QLabel(QStringLiteral("Selected Size: 0"));
    totals->addWidget(NFilesLabel, 0, 0);
    totals->addWidget(SizeLabel, 1, 0);
    totals->addWidget(SelFilesLabel, 0, 1);
    totals->addWidget(SelSizeLabel, 1, 1);

    layout->addWidget(Panel3);
    layout->addWidget(FileListBox, 1);
    layout->addWidget(Panel4);
}

void TVeskForm::locateTools()
{
    const QString folder = QFileInfo(programPath_).absolutePath() + QLatin1Char('/');
    BrenmoPath = ToNarrowString(folder + QStringLiteral("brenmo"));
    CalvioPath = ToNarrowString(folder + QStringLiteral("calvio"));
    BrenmoFound = QFileInfo(ToWideString(BrenmoPath)).isFile();
    CalvioFound = QFileInfo(ToWideString(CalvioPath)).isFile();

    auto found = [](bool yes) { return yes ? QStringLiteral("found") : QStringLiteral("not found"); };
    StatusPanels[0]->setText(QStringLiteral("Quarnel GDSII batch converter"));
    StatusPanels[1]->setText(QStringLiteral("brenmo - ") + found(BrenmoFound) + QStringLiteral("; calvio - ")
                             + found(CalvioFound));
    StartBtn->setEnabled(BrenmoFound || CalvioFound);
}

bool TVeskForm::busy() const
{
    return State != RunIdle || scanning_;
}

void TVeskForm::FormClose(CloseAction& action)
{
    if (State != RunIdle) {
        dialogs_->showMessage(this, QStringLiteral("Stop running processes before closing application"));
        action = CloseAction::caNone;
        return;
    }
    action = CloseAction::caFree;
    // A scan goes on only for a window that someone sees: the program ends
    // with the window, not when the scan would have.
    if (scanning_)
        scanEnded_ = true;
}

void TVeskForm::closeEvent(QCloseEvent* event)
{
    CloseAction action = CloseAction::caFree;
    FormClose(action);
    if (action == CloseAction::caNone)
        event->ignore();
    else
        event->accept();
}

void TVeskForm::Exit1Click()
{
    close();
}

void TVeskForm::About1Click()
{
    try {
        auto dialog = std::make_unique<TAboutDialog>(this, ToNarrowString(programPath_), VESK_PRODUCT_TITLE, 201, false);
        dialog->move(frameGeometry().center() - dialog->rect().center());
        dialogs_->showAbout(std::move(dialog));
    } catch (const std::exception& failure) {
        dialogs_->showMessage(this, QString::fromLocal8Bit(failure.what()));
    }
}

void TVeskForm::OnOutputChange()
{
    // While a run or a scan is on, the timer alone sets these.
    if (busy())
        return;
    const bool own = DirChoiceBtn->isChecked();
    DirNameEdit->setEnabled(own);
    DirSelectBtn->setEnabled(own);
}

void TVeskForm::DirSelectBtnClick()
{
    if (busy())
        return;
    QString folder = dialogs_->chooseFolder(this, QStringLiteral("Select Output Directory"), true);
    if (folder.isEmpty())
        return;
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    DirNameEdit->setText(folder);
}

void TVeskForm::Timer1Timer()
{
    const bool idle = !busy();
    AddFilesBtn->setEnabled(idle);
    AddDirectoriesBtn->setEnabled(idle);
    IncSubDirBox->setEnabled(idle);
    RemoveBtn->setEnabled(idle && !FileListBox->selectedItems().isEmpty());
    SourceBtn->setEnabled(idle);
    DirChoiceBtn->setEnabled(idle);
    DirNameEdit->setEnabled(DirChoiceBtn->isEnabled() && DirChoiceBtn->isChecked());
    DirSelectBtn->setEnabled(DirNameEdit->isEnabled());
    GdsExtEdit->setEnabled(idle && CalvioFound);
    AscExtEdit->setEnabled(idle && BrenmoFound);
    StartBtn->setEnabled(State != RunAborting && !scanning_ && (CalvioFound || BrenmoFound)
                         && FileListBox->count() > 0);
}

std::set<std::string> TVeskForm::currentEntries() const
{
    std::set<std::string> paths;
    for (int i = 0; i < FileListBox->count(); ++i)
        paths.insert(ToNarrowString(FileListBox->item(i)->text()));
    return paths;
}

void TVeskForm::rebuildList(const std::set<std::string>& paths)
{
    {
        const QSignalBlocker quiet(FileListBox);
        FileListBox->clear();
        for (const std::string& path : paths)
            FileListBox->addItem(ToWideString(path));
    }
    UpdateTotals();
}

void TVeskForm::AddFilesBtnClick()
{
    // The timer disables this button up to 100 ms after Start or a scan
    // began, and both work on the list as it stood: a click in between must
    // change nothing.
    if (busy())
        return;
    const QStringList chosen = dialogs_->chooseFiles(*OpenDialog1);
    if (chosen.isEmpty())
        return;
    std::set<std::string> paths = currentEntries();
    for (const QString& file : chosen)
        paths.insert(ToNarrowString(QFileInfo(file).absoluteFilePath()));
    rebuildList(paths);
}

void TVeskForm::AddDirectoriesBtnClick()
{
    if (busy())
        return;
    const QString folder = dialogs_->chooseFolder(this, QStringLiteral("Add Directories to Scan"), false);
    if (folder.isEmpty())
        return;
    std::set<std::string> paths = currentEntries();
    {
        // The scan pumps events between subfolders and then replaces the list
        // with its own copy: no edit may come in between.
        const QScopedValueRollback<bool> scanning(scanning_, true);
        scanEnded_ = false;
        // The window takes no input until the scan is over: the cursor says why.
        QApplication::setOverrideCursor(Qt::BusyCursor);
        const auto restoreCursor = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
        const ScanPump pump = [this] {
            QCoreApplication::processEvents();
            return !scanEnded_;
        };
        for (std::string& path :
             CollectFiles(ToNarrowString(folder) + '/', LayoutFilePatterns, IncSubDirBox->isChecked(), pump))
            paths.insert(std::move(path));
    }
    if (scanEnded_ || paths.empty())
        return;
    rebuildList(paths);
}

void TVeskForm::deleteSelectedEntries()
{
    // The list is fixed while a run walks it or a scan is to replace it.
    if (busy())
        return;
    {
        const QSignalBlocker quiet(FileListBox);
        for (QListWidgetItem* item : FileListBox->selectedItems())
            delete item;
    }
    UpdateTotals();
}

void TVeskForm::RemoveBtnClick()
{
    deleteSelectedEntries();
}

void TVeskForm::FileListBoxKeyDown(int key)
{
    if (key == Qt::Key_Delete && !FileListBox->selectedItems().isEmpty())
        deleteSelectedEntries();
}

bool TVeskForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == FileListBox && event->type() == QEvent::KeyPress)
        FileListBoxKeyDown(static_cast<QKeyEvent*>(event)->key());
    // The option controls change themselves on input, before any handler of
    // ours could refuse it: during a run or a scan their input is dropped here.
    if (busy() && changesAnOption(event->type()) && optionControls_.contains(watched))
        return true;
    return QMainWindow::eventFilter(watched, event);
}

void TVeskForm::FileListBoxClick()
{
    UpdateTotals();
}

double TVeskForm::SumFileSizes(bool selectedOnly) const
{
    double sum = 0;
    for (int i = 0; i < FileListBox->count(); ++i) {
        const QListWidgetItem* item = FileListBox->item(i);
        if (selectedOnly && !item->isSelected())
            continue;
        // An entry whose size cannot be read counts nothing.
        sum += static_cast<double>(GetFileSize64(ToNarrowString(item->text())).value_or(0));
    }
    return sum;
}

void TVeskForm::UpdateTotals()
{
    constexpr float perKilobyte = 0.0009765625f;
    NFilesLabel->setText(QStringLiteral("Files: ") + formatInt("%lli", FileListBox->count()));
    SizeLabel->setText(QStringLiteral("Size: ")
                       + formatInt("%lli", static_cast<long long>(SumFileSizes(false) * perKilobyte))
                       + QStringLiteral(" kB"));
    SelFilesLabel->setText(QStringLiteral("Selected Files: ")
                           + formatInt("%lli", FileListBox->selectedItems().size()));
    SelSizeLabel->setText(QStringLiteral("Size: ")
                          + formatInt("%lli", static_cast<long long>(SumFileSizes(true) * perKilobyte))
                          + QStringLiteral(" kB"));
}

RunOptions TVeskForm::readRunOptions() const
{
    return RunOptions{BrenmoFound ? BrenmoPath : std::string(), CalvioFound ? CalvioPath : std::string(),
                      SourceBtn->isChecked(), DirNameEdit->text(), AscExtEdit->text(), GdsExtEdit->text()};
}

void TVeskForm::StartBtnClick()
{
    if (State == RunAborting)
        return;
    if (State == RunRunning) {
        State = RunAborting;
        StartBtn->setText(QStringLiteral("Aborting"));
        StartBtn->setEnabled(false);
        return;
    }
    if (scanning_)
        return;

    StartBtn->setText(QStringLiteral("Abort"));
    TimeLabel->setText(QStringLiteral("evaluating"));
    RunOutcomes outcomes;
    {
        // However the run ends, by an exception too, the window is idle
        // again before anything else is shown.
        const auto idleAgain = qScopeGuard([this] {
            State = RunIdle;
            StartBtn->setText(QStringLiteral("Start"));
            StartBtn->setEnabled(true);
            TimeLabel->setText(QStringLiteral("0"));
            ProgressBar1->setValue(0);
        });
        const double totalBytes = SumFileSizes(false);
        double doneBytes = 0;
        const std::time_t startTime = std::time(nullptr);
        // The list stays as it is while the run walks it: it is read once
        // here, as are the options.
        std::vector<std::string> entries;
        for (int i = 0; i < FileListBox->count(); ++i)
            entries.push_back(ToNarrowString(FileListBox->item(i)->text()));
        ConversionRun run(entries, readRunOptions());

        while (State != RunAborting) {
            const std::optional<EntryPlan> plan = run.nextEntry();
            if (!plan)
                break;
            // The child gets the three paths as they are: no splitting of a
            // joined line can change or lose a byte.
            const ChildEnd end = runConverter(plan->toolPath, plan->inputPath, plan->outputPath, State);
            run.childEnded(end);
            if (end.kind == ChildEnd::NotStarted) {
                State = RunIdle;
                continue;
            }
            doneBytes += static_cast<double>(GetFileSize64(plan->inputPath).value_or(0));
            ProgressBar1->setValue(ProgressPosition(doneBytes, totalBytes));
            TimeLabel->setText(TimeEstimateText(doneBytes, totalBytes, std::time(nullptr) - startTime));
        }
        outcomes = run.outcomes();
    }

    // A run that did not convert every entry says which and why, once; one
    // that did ends silently.
    if (!outcomes.allConverted()) {
        const RunReport report =
            RunReportText(outcomes, [this](const QString& piece) { return dialogs_->fitToReportLine(this, piece); });
        dialogs_->showReport(this, report.text, report.details);
    }
}
