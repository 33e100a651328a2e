#include "ui/main_form.h"

#include <algorithm>
#include <exception>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QProgressBar>
#include <QSaveFile>
#include <QShortcut>
#include <QSplitter>
#include <QStandardItemModel>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <QVBoxLayout>
#include <QHBoxLayout>

#include "driver/repository_init.h"
#include "driver/repository_location.h"
#include "text/error.h"
#include "ui/about_form.h"
#include "ui/add_script_opt_form.h"
#include "ui/editor_settings_form.h"
#include "ui/project_form.h"
#include "ui/sql_highlighter.h"
#include "ui/view_search.h"

namespace ambrix::ui {

namespace {

QAction* MakeAction(QObject* parent, const char* name, const QString& caption, const QString& hint,
                    const QKeySequence& shortcut = {}) {
  auto* action = new QAction(caption, parent);
  action->setObjectName(QString::fromLatin1(name));
  action->setToolTip(hint.isEmpty() ? caption : hint);
  action->setStatusTip(hint);
  if (!shortcut.isEmpty()) action->setShortcut(shortcut);
  return action;
}

QPlainTextEdit* ScriptView(QWidget* parent) {
  auto* view = new QPlainTextEdit(parent);
  view->setReadOnly(true);
  view->setLineWrapMode(QPlainTextEdit::NoWrap);
  view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  QFont font(QStringLiteral("Courier New"));
  font.setStyleHint(QFont::TypeWriter);
  if (!QFontInfo(font).fixedPitch()) font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  view->setFont(font);
  return view;
}

/// Case-insensitive, locale-aware ordering of the tree's and the grid's
/// captions.
bool CaptionLess(const QString& a, const QString& b) {
  const int c = QString::localeAwareCompare(a.toLower(), b.toLower());
  return c != 0 ? c < 0 : a < b;
}

void SortChildren(QStandardItem* parent) {
  const int n = parent->rowCount();
  if (n == 0) return;
  QList<QList<QStandardItem*>> rows;
  rows.reserve(n);
  for (int i = n - 1; i >= 0; --i) rows.prepend(parent->takeRow(i));
  std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) {
    return CaptionLess(a.first()->text(), b.first()->text());
  });
  for (auto& row : rows) {
    parent->appendRow(row);
    SortChildren(row.first());
  }
}

/// The index, in UTF-16 units, of the character `column` (1-based, counted
/// in code points) of `text`; clamped to the text.
int Utf16Offset(const QString& text, int column) {
  int offset = 0;
  for (int c = 1; c < column && offset < text.size(); ++c)
    offset += (text[offset].isHighSurrogate() && offset + 1 < text.size()) ? 2 : 1;
  return std::min<int>(offset, int(text.size()));
}

/// A file name for an object's script: characters that cannot stand in a
/// file name on this system (or would leave the folder) become '_'.
QString SafeFileName(const QString& name) {
  QString safe = name.trimmed();
  for (QChar& c : safe)
    if (c == u'/' || c == u'\\' || c == QChar(0) || c.unicode() < 32) c = u'_';
  if (safe.isEmpty() || safe == QStringLiteral(".") || safe == QStringLiteral(".."))
    safe = QStringLiteral("_") + safe;
  return safe;
}

}  // namespace

TMainForm::TMainForm(TGuiConfig config, ConverterFactory factory, TUiHooks hooks, QWidget* parent)
    : QMainWindow(parent),
      Config_(std::move(config)),
      Factory_(std::move(factory)),
      Hooks_(std::move(hooks)) {
  setObjectName(QStringLiteral("MainForm"));
  Terminate = [this] {
    QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(1); });
    hide();
  };
  CreateActions();
  CreateMenus();
  CreateWidgets();
  SetCaption({});

  AddLog(QStringLiteral("Конвертор баз данных MS SQLServer 2000 в Sybase Anywhere Studio 9.0"));
  AddLog(QStringLiteral("Версия 1.0"));
  AddLog({});
  PageControl->setCurrentIndex(0);

  // Until the converter exists, only the project-independent actions work.
  ObjectPanel->hide();
  PageControlPanel->hide();
  UpdateActions();
}

TMainForm::~TMainForm() = default;

void TMainForm::CreateActions() {
  ProjectOpenAction = MakeAction(this, "ProjectOpenAction", QStringLiteral("Открыть ..."),
                                 QStringLiteral("Открыть проект"), QKeySequence(QStringLiteral("Ctrl+O")));
  ProjectCloseAction = MakeAction(this, "ProjectCloseAction", QStringLiteral("Закрыть проект"), {});
  ProjectAddScriptAction = MakeAction(this, "ProjectAddScriptAction",
                                      QStringLiteral("Реинженеринг скрипта MSSQL"), {});
  ProjectGenerateAction = MakeAction(this, "ProjectGenerateAction",
                                     QStringLiteral("Сгенерировать скрипт ASA"), {});
  ProjectPropAction = MakeAction(this, "ProjectPropAction", QStringLiteral("Свойства ..."),
                                 QStringLiteral("Свойства проекта"));
  ProjectPrintAction = MakeAction(this, "ProjectPrintAction", QStringLiteral("Печать ..."),
                                  QStringLiteral("Печать"));
  ProjectExitAction = MakeAction(this, "ProjectExitAction", QStringLiteral("Выход"),
                                 QStringLiteral("Выход"), QKeySequence(QStringLiteral("Ctrl+Q")));
  EditFindAction = MakeAction(this, "EditFindAction", QStringLiteral("Найти ..."),
                              QStringLiteral("Найти"), QKeySequence(QStringLiteral("Ctrl+F")));
  EditFindNextAction = MakeAction(this, "EditFindNextAction", QStringLiteral("Найти далее"),
                                  QStringLiteral("Найти далее"), QKeySequence(QStringLiteral("F3")));
  EditClearCompileAction = MakeAction(this, "EditClearCompileAction",
                                      QStringLiteral("Сбросить всю компиляцию"), {});
  EditClearCompileTypeAction = MakeAction(this, "EditClearCompileTypeAction",
                                          QStringLiteral("Сбросить компиляцию текущего типа"), {});
  EditCompileAction = MakeAction(this, "EditCompileAction", QStringLiteral("Скомпилировать"), {},
                                 QKeySequence(QStringLiteral("Alt+C")));
  EditViewAction = MakeAction(this, "EditViewAction", QStringLiteral("Редактор"), {},
                              QKeySequence(QStringLiteral("Alt+E")));
  EditDeleteAction = MakeAction(this, "EditDeleteAction", QStringLiteral("Удалить"),
                                QStringLiteral("Удалить обьект"), QKeySequence(QStringLiteral("Alt+Del")));
  OptionEditorAction = MakeAction(this, "OptionEditorAction",
                                  QStringLiteral("Настройки редактора ..."),
                                  QStringLiteral("Настройки редактора"));
  OptionRepositoryAction = MakeAction(this, "OptionRepositoryAction",
                                      QStringLiteral("Установить/обновить репозиторий ..."),
                                      QStringLiteral("Установить репозиторий в пустую базу или обновить его"));
  HelpAboutAction = MakeAction(this, "HelpAboutAction", QStringLiteral("О программе ..."),
                               QStringLiteral("О программе"));

  const auto bind = [this](QAction* action, void (TMainForm::*handler)()) {
    connect(action, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
  };
  bind(ProjectOpenAction, &TMainForm::ProjectOpenActionExecute);
  bind(ProjectCloseAction, &TMainForm::ProjectCloseActionExecute);
  bind(ProjectAddScriptAction, &TMainForm::ProjectAddScriptActionExecute);
  bind(ProjectGenerateAction, &TMainForm::ProjectGenerateActionExecute);
  connect(ProjectExitAction, &QAction::triggered, this, &QWidget::close);
  bind(EditClearCompileAction, &TMainForm::EditClearCompileActionExecute);
  bind(EditClearCompileTypeAction, &TMainForm::EditClearCompileTypeActionExecute);
  bind(EditCompileAction, &TMainForm::EditCompileActionExecute);
  bind(EditViewAction, &TMainForm::EditViewActionExecute);
  bind(EditDeleteAction, &TMainForm::EditDeleteActionExecute);
  bind(HelpAboutAction, &TMainForm::HelpAboutActionExecute);
  bind(EditFindAction, &TMainForm::EditFindActionExecute);
  connect(EditFindNextAction, &QAction::triggered, this, [this] { EditFindNextActionExecute(); });
  bind(ProjectPropAction, &TMainForm::ProjectPropActionExecute);
  bind(ProjectPrintAction, &TMainForm::ProjectPrintActionExecute);
  bind(OptionEditorAction, &TMainForm::OptionEditorActionExecute);
  bind(OptionRepositoryAction, &TMainForm::OptionRepositoryActionExecute);
}

void TMainForm::CreateMenus() {
  ProjectMenu = menuBar()->addMenu(QStringLiteral("Проект"));
  ProjectMenu->addAction(ProjectOpenAction);
  ProjectSeparators[0] = ProjectMenu->addSeparator();
  ProjectMenu->addAction(ProjectCloseAction);
  ProjectSeparators[1] = ProjectMenu->addSeparator();
  ProjectMenu->addAction(ProjectAddScriptAction);
  ProjectMenu->addAction(ProjectGenerateAction);
  ProjectSeparators[2] = ProjectMenu->addSeparator();
  ProjectMenu->addAction(ProjectPropAction);
  ProjectSeparators[3] = ProjectMenu->addSeparator();
  ProjectMenu->addAction(ProjectPrintAction);
  ProjectSeparators[4] = ProjectMenu->addSeparator();
  ProjectMenu->addAction(ProjectExitAction);

  EditMenu = menuBar()->addMenu(QStringLiteral("Правка"));
  EditMenu->addAction(EditFindAction);
  EditMenu->addAction(EditFindNextAction);
  EditSeparators[0] = EditMenu->addSeparator();
  EditMenu->addAction(EditClearCompileAction);
  EditMenu->addAction(EditClearCompileTypeAction);
  EditSeparators[1] = EditMenu->addSeparator();
  EditMenu->addAction(EditCompileAction);
  EditMenu->addAction(EditViewAction);
  EditMenu->addAction(EditDeleteAction);

  OptionsMenu = menuBar()->addMenu(QStringLiteral("Опции"));
  OptionsMenu->addAction(OptionEditorAction);
  OptionsMenu->addAction(OptionRepositoryAction);
  HelpMenu = menuBar()->addMenu(QStringLiteral("Помощь"));
  HelpMenu->addAction(HelpAboutAction);

  ToolBar = addToolBar(QStringLiteral("ToolBar"));
  ToolBar->setObjectName(QStringLiteral("ToolBar"));
  ToolBar->setMovable(false);
  ToolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
  for (QAction* action : {ProjectOpenAction, ProjectAddScriptAction, ProjectGenerateAction,
                          EditFindAction, EditCompileAction, EditViewAction, EditDeleteAction})
    ToolBar->addAction(action);
}

void TMainForm::CreateWidgets() {
  auto* central = new QWidget(this);
  auto* centralLayout = new QVBoxLayout(central);
  centralLayout->setContentsMargins(0, 0, 0, 0);
  auto* bottomSplitter = new QSplitter(Qt::Vertical, central);
  centralLayout->addWidget(bottomSplitter);

  auto* top = new QWidget(bottomSplitter);
  auto* topLayout = new QVBoxLayout(top);
  topLayout->setContentsMargins(0, 0, 0, 0);
  ObjectSplitter = new QSplitter(Qt::Horizontal, top);
  ObjectSplitter->setObjectName(QStringLiteral("ObjectSplitter"));
  topLayout->addWidget(ObjectSplitter, 1);

  // The object tree.
  ObjectPanel = new QWidget(ObjectSplitter);
  ObjectPanel->setObjectName(QStringLiteral("ObjectPanel"));
  auto* objectLayout = new QVBoxLayout(ObjectPanel);
  objectLayout->setContentsMargins(0, 0, 0, 0);
  ObjectTree = new QTreeView(ObjectPanel);
  ObjectTree->setObjectName(QStringLiteral("ObjectTree"));
  TreeModel = new QStandardItemModel(this);
  TreeModel->setHorizontalHeaderLabels({QStringLiteral("Объекты")});
  ObjectTree->setModel(TreeModel);
  ObjectTree->setEditTriggers(QAbstractItemView::NoEditTriggers);
  ObjectTree->setSelectionMode(QAbstractItemView::SingleSelection);
  objectLayout->addWidget(ObjectTree);
  connect(ObjectTree->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this] { ObjectTreeChangeNode(); });

  // The pages.
  PageControlPanel = new QWidget(ObjectSplitter);
  PageControlPanel->setObjectName(QStringLiteral("PageControlPanel"));
  auto* pageLayout = new QVBoxLayout(PageControlPanel);
  pageLayout->setContentsMargins(0, 0, 0, 0);
  PageControl = new QTabWidget(PageControlPanel);
  PageControl->setObjectName(QStringLiteral("PageControl"));
  PageControl->setTabPosition(QTabWidget::South);
  pageLayout->addWidget(PageControl);

  // The find bar, under the pages: it searches the page shown.
  FindPanel = new QWidget(PageControlPanel);
  FindPanel->setObjectName(QStringLiteral("FindPanel"));
  auto* findLayout = new QHBoxLayout(FindPanel);
  findLayout->setContentsMargins(2, 2, 2, 2);
  findLayout->addWidget(new QLabel(QStringLiteral("Найти:"), FindPanel));
  FindEdit = new QLineEdit(FindPanel);
  FindEdit->setObjectName(QStringLiteral("FindEdit"));
  findLayout->addWidget(FindEdit, 1);
  FindNextButton = new QPushButton(QStringLiteral("Найти далее"), FindPanel);
  findLayout->addWidget(FindNextButton);
  auto* findClose = new QPushButton(QStringLiteral("Закрыть"), FindPanel);
  findLayout->addWidget(findClose);
  connect(FindEdit, &QLineEdit::returnPressed, this, [this] { EditFindNextActionExecute(); });
  connect(FindNextButton, &QPushButton::clicked, this, [this] { EditFindNextActionExecute(); });
  connect(findClose, &QPushButton::clicked, FindPanel, &QWidget::hide);
  connect(new QShortcut(QKeySequence(Qt::Key_Escape), FindEdit, nullptr, nullptr, Qt::WidgetShortcut),
          &QShortcut::activated, FindPanel, &QWidget::hide);
  FindPanel->hide();
  pageLayout->addWidget(FindPanel);

  MSSQLTab = new QWidget;
  MSSQLTab->setObjectName(QStringLiteral("MSSQLTab"));
  SourceView = ScriptView(MSSQLTab);
  (new QVBoxLayout(MSSQLTab))->addWidget(SourceView);
  ASATab = new QWidget;
  ASATab->setObjectName(QStringLiteral("ASATab"));
  DestView = ScriptView(ASATab);
  (new QVBoxLayout(ASATab))->addWidget(DestView);
  SourceHighlighter = new TSqlHighlighter(SourceView->document());
  DestHighlighter = new TSqlHighlighter(DestView->document());

  AlarmTab = new QWidget;
  AlarmTab->setObjectName(QStringLiteral("AlarmTab"));
  AlarmGrid = new QTreeView(AlarmTab);
  AlarmGrid->setObjectName(QStringLiteral("AlarmGrid"));
  AlarmModel = new QStandardItemModel(this);
  AlarmModel->setHorizontalHeaderLabels({QStringLiteral("Ключевое слово"), QStringLiteral("Обьект"),
                                         QStringLiteral("Лин."), QStringLiteral("Поз.")});
  AlarmGrid->setModel(AlarmModel);
  AlarmGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  AlarmGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
  AlarmGrid->setContextMenuPolicy(Qt::CustomContextMenu);
  AlarmGrid->setExpandsOnDoubleClick(true);
  AlarmGrid->header()->resizeSection(0, 260);
  AlarmGrid->header()->resizeSection(1, 200);
  (new QVBoxLayout(AlarmTab))->addWidget(AlarmGrid);
  AlarmMenu = new QMenu(AlarmGrid);
  connect(AlarmMenu->addAction(QStringLiteral("Раскрыть все")), &QAction::triggered, this,
          &TMainForm::ExpandAlarms);
  connect(AlarmMenu->addAction(QStringLiteral("Свернуть все")), &QAction::triggered, this,
          &TMainForm::CollapseAlarms);
  connect(AlarmGrid, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { AlarmMenu->popup(AlarmGrid->viewport()->mapToGlobal(pos)); });
  connect(AlarmGrid, &QTreeView::doubleClicked, this, &TMainForm::AlarmGridDblClick);

  PageControl->addTab(MSSQLTab, QStringLiteral("Исходный (MSSQL)"));
  PageControl->addTab(ASATab, QStringLiteral("Полученный (ASA)"));
  PageControl->addTab(AlarmTab, QStringLiteral("Предупреждения"));
  ObjectSplitter->setStretchFactor(0, 0);
  ObjectSplitter->setStretchFactor(1, 1);
  ObjectSplitter->setSizes({260, 740});

  // Progress, above the bottom splitter.
  ProgressBarPanel = new QWidget(top);
  ProgressBarPanel->setObjectName(QStringLiteral("ProgressBarPanel"));
  auto* progressLayout = new QVBoxLayout(ProgressBarPanel);
  progressLayout->setContentsMargins(2, 2, 2, 2);
  ProgressBar = new QProgressBar(ProgressBarPanel);
  ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
  progressLayout->addWidget(ProgressBar);
  ProgressBarPanel->hide();
  topLayout->addWidget(ProgressBarPanel);

  // The log.
  LogPanel = new QWidget(bottomSplitter);
  LogPanel->setObjectName(QStringLiteral("LogPanel"));
  auto* logLayout = new QVBoxLayout(LogPanel);
  logLayout->setContentsMargins(0, 0, 0, 0);
  logLayout->setSpacing(0);
  auto* logCaption = new QLabel(QStringLiteral("Лог работы"), LogPanel);
  logCaption->setFrameShape(QFrame::Panel);
  logCaption->setFrameShadow(QFrame::Raised);
  logLayout->addWidget(logCaption);
  LogView = new QPlainTextEdit(LogPanel);
  LogView->setObjectName(QStringLiteral("LogView"));
  LogView->setReadOnly(true);
  LogView->setLineWrapMode(QPlainTextEdit::NoWrap);
  LogView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  LogView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  logLayout->addWidget(LogView);
  bottomSplitter->setStretchFactor(0, 3);
  bottomSplitter->setStretchFactor(1, 1);

  setCentralWidget(central);
  resize(1024, 720);
}

// ---------------------------------------------------------------------------
// Log, progress, caption and state.

void TMainForm::ProcessMessages() {
  // Only a running command hands control back to the event loop; the
  // actions that would start another command are disabled meanwhile.
  if (Busy_) QCoreApplication::processEvents();
}

void TMainForm::AddLog(const QString& msg) {
  QString text = msg;
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  LogView->appendPlainText(text);
  LogView->moveCursor(QTextCursor::End);
  LogView->ensureCursorVisible();
  ProcessMessages();
}

void TMainForm::AppendLog(const QString& msg) {
  if (LogView->document()->isEmpty()) {
    AddLog(msg);
    return;
  }
  QTextCursor cursor(LogView->document());
  cursor.movePosition(QTextCursor::End);
  cursor.insertText(msg);
  LogView->moveCursor(QTextCursor::End);
  LogView->ensureCursorVisible();
  ProcessMessages();
}

void TMainForm::ProgressStart(int max) {
  ProgressBar->setRange(0, std::max(max, 0));
  ProgressBar->setValue(0);
  ProcessMessages();
}

void TMainForm::ProgressPosition(int position) {
  ProgressBar->setValue(position);
  ProcessMessages();
}

void TMainForm::SetCaption(const QString& projectName) {
  setWindowTitle(projectName.isEmpty() ? AppTitle()
                                       : AppTitle() + QStringLiteral(" [") + projectName + u']');
}

void TMainForm::SetProjectOpened(bool opened) {
  const bool changed = opened != ProjectOpened_;
  if (opened) {
    const QString name = Converter_ ? Converter_->ProjectName() : QString();
    if (changed) AddLog(QStringLiteral("Открыт проект \"") + name + u'"');
    OpenedProjectName_ = name;
    SetCaption(name);
    ObjectPanel->show();
  } else {
    if (changed) AddLog(QStringLiteral("Закрыт проект \"") + OpenedProjectName_ + u'"');
    PageControlPanel->hide();
    ObjectPanel->hide();
    SetObjectActions(false);
    SetCaption({});
  }
  ProjectOpened_ = opened;
  PageControlPanel->setVisible(opened);
  UpdateActions();
}

void TMainForm::SetObjectActions(bool value) {
  ObjectActions_ = value;
  UpdateActions();
}

void TMainForm::UpdateActions() {
  const bool idle = !Busy_ && Converter_ != nullptr;
  const bool open = ProjectOpened_;
  ProjectOpenAction->setEnabled(idle);
  for (QAction* action : {ProjectCloseAction, ProjectAddScriptAction, ProjectGenerateAction,
                          EditClearCompileAction, EditClearCompileTypeAction}) {
    action->setVisible(open);
    action->setEnabled(open && idle);
  }
  for (QAction* action : {ProjectPropAction, ProjectPrintAction, EditFindAction, EditFindNextAction}) {
    action->setVisible(open);
    action->setEnabled(open && idle);
  }
  OptionEditorAction->setEnabled(!Busy_);
  OptionRepositoryAction->setEnabled(!Busy_);
  for (int i = 0; i < 4; ++i) ProjectSeparators[i]->setVisible(open);
  EditMenu->menuAction()->setVisible(open);
  EditSeparators[0]->setVisible(open);
  for (QAction* action : {EditCompileAction, EditViewAction, EditDeleteAction}) {
    action->setVisible(ObjectActions_);
    action->setEnabled(ObjectActions_ && idle);
  }
  EditSeparators[1]->setVisible(ObjectActions_);
  // The tree and the alarm grid open objects in the repository: not while
  // a command runs.
  ObjectTree->setEnabled(!Busy_);
  AlarmGrid->setEnabled(!Busy_);
}

bool TMainForm::RunCommand(const std::function<void()>& body) {
  if (Busy_) return false;
  Busy_ = true;
  UpdateActions();
  bool ok = true;
  try {
    body();
  } catch (const std::exception& e) {
    ok = false;
    ShowError(Hooks_, this, e.what());
  } catch (...) {
    ok = false;
    ShowError(Hooks_, this, "Неизвестная ошибка");
  }
  Busy_ = false;
  UpdateActions();
  if (CloseRequested_) QTimer::singleShot(0, this, &QWidget::close);
  return ok;
}

QMessageBox::StandardButton TMainForm::Ask(QMessageBox::Icon icon, const QString& caption,
                                           const QString& text,
                                           QMessageBox::StandardButtons buttons) {
  return Hooks_.Message ? Hooks_.Message(this, icon, caption, text, buttons) : QMessageBox::NoButton;
}

// ---------------------------------------------------------------------------
// Activation and closing.

bool TMainForm::FormActivate() {
  if (Activated_) return Converter_ != nullptr;
  Activated_ = true;
  AddLog(QStringLiteral("Инициализация конвертора ... "));
  const auto create = [this] {
    Converter_ = Factory_();
    if (!Converter_) throw Error("Конвертор не создан");
  };
  try {
    create();
  } catch (const std::exception& e) {
    Converter_.reset();
    QString failure = QString::fromUtf8(e.what());
    // A team's server with an empty database: the repository can be
    // installed into it here, as `ambrix repository init` does.
    if (ServerDatabaseIsEmpty() &&
        Ask(QMessageBox::Question, QStringLiteral("Репозиторий"),
            QStringLiteral("База данных ") + RepositoryText() +
                QStringLiteral(" не содержит репозитория. Установить в неё репозиторий ?"),
            QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes) {
      try {
        InitRepositoryAndTell();
        create();
      } catch (const std::exception& again) {
        Converter_.reset();
        failure = QString::fromUtf8(again.what());
      }
    }
    if (!Converter_) {
      Ask(QMessageBox::Critical, QStringLiteral("Не возможно инициализировать конвертор"), failure, QMessageBox::Ok);
      if (Terminate) Terminate();
      return false;
    }
  }
  ConverterCallbacks callbacks;
  callbacks.OnLog = [this](const QString& msg) { AddLog(msg); };
  callbacks.OnProgressStart = [this](int max) { ProgressStart(max); };
  callbacks.OnProgress = [this](int position) { ProgressPosition(position); };
  callbacks.OnAlarmsChanged = [this] { AlarmsChanged(); };
  Converter_->SetCallbacks(std::move(callbacks));
  AppendLog(QStringLiteral("OK"));
  SetProjectOpened(false);
  return true;
}

void TMainForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!Activated_) QTimer::singleShot(0, this, [this] { FormActivate(); });
}

void TMainForm::closeEvent(QCloseEvent* event) {
  if (Busy_) {
    // The converter is in the middle of an operation: close when it ends.
    CloseRequested_ = true;
    event->ignore();
    return;
  }
  event->accept();
}

// ---------------------------------------------------------------------------
// The object tree.

QStandardItem* TMainForm::CurrentNode() const {
  const QModelIndex current = ObjectTree->currentIndex();
  return current.isValid() ? TreeModel->itemFromIndex(current.siblingAtColumn(0)) : nullptr;
}

void TMainForm::ReloadTree(bool keepCurrent) {
  QString currentId;
  if (keepCurrent)
    if (QStandardItem* node = CurrentNode()) currentId = node->data(NodeIdRole).toString();
  Rebuilding_ = true;
  TreeModel->removeRows(0, TreeModel->rowCount());
  std::vector<TreeRow> rows;
  if (Converter_ && Converter_->TreeOpen()) rows = Converter_->TreeRows();
  QHash<QString, QStandardItem*> byId;
  byId.reserve(qsizetype(rows.size()));
  std::vector<QStandardItem*> items;
  items.reserve(rows.size());
  for (const TreeRow& row : rows) {
    auto* item = new QStandardItem(row.Object);
    item->setData(row.Level, LevelRole);
    item->setData(row.ID, NodeIdRole);
    item->setData(row.Object, ObjectNameRole);
    item->setData(row.TypeObject, TypeObjectRole);
    if (!IsGroupLevel(row.Level)) item->setData(row.Object_id, ObjectIdRole);
    items.push_back(item);
    if (!row.ID.isEmpty()) byId.insert(row.ID, item);
  }
  QStandardItem* root = TreeModel->invisibleRootItem();
  for (size_t i = 0; i < rows.size(); ++i) {
    QStandardItem* parent = rows[i].ParentID.isEmpty() ? nullptr : byId.value(rows[i].ParentID);
    if (parent == items[i]) parent = nullptr;
    (parent ? parent : root)->appendRow(items[i]);
  }
  SortChildren(root);
  Rebuilding_ = false;
  if (!Converter_ || !Converter_->TreeOpen()) SetObjectActions(false);

  QModelIndex target;
  if (!currentId.isEmpty()) {
    const QModelIndexList found = TreeModel->match(TreeModel->index(0, 0), NodeIdRole, currentId, 1,
                                                   Qt::MatchExactly | Qt::MatchRecursive);
    if (!found.isEmpty()) target = found.first();
  }
  if (!target.isValid()) target = TreeModel->index(0, 0);
  SelectNode(target);
}

void TMainForm::SelectNode(const QModelIndex& index) {
  if (index.isValid()) {
    ObjectTree->scrollTo(index);
    if (ObjectTree->currentIndex() == index) {
      ObjectTreeChangeNode();
      return;
    }
    ObjectTree->setCurrentIndex(index);  // the change handler applies the node
  } else {
    ObjectTree->setCurrentIndex({});
    ObjectTreeChangeNode();
  }
}

void TMainForm::FocusFirstNode() { SelectNode(TreeModel->index(0, 0)); }

bool TMainForm::SelectObject(int objectId) {
  const QModelIndexList found = TreeModel->match(TreeModel->index(0, 0), ObjectIdRole, objectId, 1,
                                                 Qt::MatchExactly | Qt::MatchRecursive);
  if (found.isEmpty()) return false;
  SelectNode(found.first());
  return true;
}

void TMainForm::ObjectTreeChangeNode() {
  if (Rebuilding_) return;
  if (Busy_) {
    ChangeNode();  // part of the running command; its failure ends the command
    return;
  }
  RunCommand([this] { ChangeNode(); });
}

void TMainForm::ChangeNode() {
  if (!Converter_) return;
  QStandardItem* node = CurrentNode();
  const int level = node ? node->data(LevelRole).toInt() : 0;
  if (node && !IsGroupLevel(level)) {
    Converter_->OpenObjectScript(node->data(ObjectIdRole).toInt());
    if (!PageControl->isTabVisible(PageControl->indexOf(MSSQLTab))) {
      ShowScriptPages(true);
      PageControl->setCurrentIndex(SavedPageIndex_);
    }
    SetObjectActions(true);
  } else {
    if (PageControl->isTabVisible(PageControl->indexOf(MSSQLTab))) {
      SavedPageIndex_ = PageControl->currentIndex();
      PageControl->setCurrentWidget(AlarmTab);
      ShowScriptPages(false);
    }
    Converter_->CloseObjectScript();
    SetObjectActions(false);
  }
  RefreshScriptViews();
}

void TMainForm::ShowScriptPages(bool show) {
  PageControl->setTabVisible(PageControl->indexOf(MSSQLTab), show);
  PageControl->setTabVisible(PageControl->indexOf(ASATab), show);
}

void TMainForm::RefreshScriptViews() {
  const bool open = Converter_ && Converter_->ObjectScriptOpen();
  const QString source = open ? Converter_->SourceScript() : QString();
  const QString dest = open ? Converter_->DestScript().value_or(QString()) : QString();
  const auto show = [](QPlainTextEdit* view, QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (view->toPlainText() != text) view->setPlainText(text);
  };
  show(SourceView, source);
  show(DestView, dest);
}

// ---------------------------------------------------------------------------
// The alarm grid.

void TMainForm::AlarmsChanged() {
  AlarmModel->removeRows(0, AlarmModel->rowCount());
  std::vector<AlarmRow> rows;
  if (Converter_) rows = Converter_->AlarmRows();
  std::stable_sort(rows.begin(), rows.end(), [](const AlarmRow& a, const AlarmRow& b) {
    if (a.AlarmName != b.AlarmName) return CaptionLess(a.AlarmName, b.AlarmName);
    if (a.TypeObjectName != b.TypeObjectName) return CaptionLess(a.TypeObjectName, b.TypeObjectName);
    return CaptionLess(a.Word, b.Word);
  });
  QStandardItem* alarmGroup = nullptr;
  QStandardItem* typeGroup = nullptr;
  QString alarmName, typeName;
  for (const AlarmRow& row : rows) {
    if (!alarmGroup || row.AlarmName != alarmName) {
      alarmName = row.AlarmName;
      alarmGroup = new QStandardItem(row.AlarmName);
      AlarmModel->appendRow(alarmGroup);
      typeGroup = nullptr;
    }
    if (!typeGroup || row.TypeObjectName != typeName) {
      typeName = row.TypeObjectName;
      typeGroup = new QStandardItem(row.TypeObjectName);
      alarmGroup->appendRow(typeGroup);
    }
    QList<QStandardItem*> cells{new QStandardItem(row.Word), new QStandardItem(row.ObjectName),
                                new QStandardItem(QString::number(row.NumLine)),
                                new QStandardItem(QString::number(row.NumPos))};
    cells[0]->setData(row.Object_id, AlarmObjectIdRole);
    cells[0]->setData(row.NumLine, AlarmLineRole);
    cells[0]->setData(row.NumPos, AlarmPosRole);
    typeGroup->appendRow(cells);
  }
  for (int i = 0; i < AlarmModel->rowCount(); ++i) {
    AlarmGrid->setFirstColumnSpanned(i, {}, true);
    const QModelIndex group = AlarmModel->index(i, 0);
    for (int j = 0; j < AlarmModel->rowCount(group); ++j) AlarmGrid->setFirstColumnSpanned(j, group, true);
  }
  CollapseAlarms();
  AlarmGrid->setCurrentIndex(AlarmModel->index(0, 0));
}

void TMainForm::ExpandAlarms() { AlarmGrid->expandAll(); }

void TMainForm::CollapseAlarms() { AlarmGrid->collapseAll(); }

void TMainForm::AlarmGridDblClick(const QModelIndex& index) {
  const QModelIndex first = index.siblingAtColumn(0);
  const QVariant objectId = first.data(AlarmObjectIdRole);
  if (!objectId.isValid()) return;  // a group row: it expands or collapses
  const int line = first.data(AlarmLineRole).toInt();
  const int pos = first.data(AlarmPosRole).toInt();
  const QString word = first.data(Qt::DisplayRole).toString();
  if (!SelectObject(objectId.toInt())) return;
  if (!Converter_ || !Converter_->ObjectScriptOpen()) return;
  PageControl->setCurrentWidget(ASATab);
  PlaceCursor(line, pos, word);
}

void TMainForm::PlaceCursor(int line, int column, const QString& word) {
  const QTextBlock block = DestView->document()->findBlockByNumber(std::max(line, 1) - 1);
  if (!block.isValid()) return;
  const QString text = block.text();
  const int offset = Utf16Offset(text, std::max(column, 1));
  QTextCursor cursor(block);
  cursor.setPosition(block.position() + offset);
  if (!word.isEmpty() && text.mid(offset, word.size()).compare(word, Qt::CaseInsensitive) == 0)
    cursor.setPosition(block.position() + offset + int(word.size()), QTextCursor::KeepAnchor);
  DestView->setTextCursor(cursor);
  DestView->ensureCursorVisible();
  DestView->setFocus();
}

// ---------------------------------------------------------------------------
// Commands.

void TMainForm::ProjectOpenActionExecute() {
  RunCommand([this] {
    if (!Converter_) return;
    int projectId = Converter_->ProjectId();
    bool chosen = false;
    {
      TProjectForm form(*Converter_, Hooks_, this);
      chosen = form.Execute(projectId);
    }
    FollowOpenProject();
    if (!chosen || projectId <= 0) return;
    if (projectId == Converter_->ProjectId() && ProjectOpened_) return;
    ProcessMessages();
    try {
      Converter_->SetProject(projectId);
    } catch (...) {
      // The converter may now hold part of the new project: release it and
      // show no project rather than the previous one over a changed converter.
      SetProjectOpened(false);
      ReloadTree(false);
      try {
        Converter_->SetProject(0);
      } catch (...) {
      }
      throw;
    }
    SetProjectOpened(true);
    const QStringList words = Converter_->ReservedWords();
    SourceHighlighter->SetWords(words);
    DestHighlighter->SetWords(words);
    ReloadTree(false);
    ObjectTree->setFocus();
  });
}

void TMainForm::ProjectCloseActionExecute() {
  RunCommand([this] { CloseProject(); });
}

void TMainForm::CloseProject() {
  SetProjectOpened(false);
  ProcessMessages();
  Converter_->SetProject(0);
  Converter_->CloseObjectScript();
  ReloadTree(false);
  AlarmModel->removeRows(0, AlarmModel->rowCount());
  SourceHighlighter->SetWords({});
  DestHighlighter->SetWords({});
}

void TMainForm::FollowOpenProject() {
  if (!ProjectOpened_ || !Converter_) return;
  const int openId = Converter_->ProjectId();
  for (const ProjectRow& row : Converter_->Projects()) {
    if (row.Project_id != openId) continue;
    if (row.Name != OpenedProjectName_) {
      // Opened again, so that the converter and the window both hold the new name.
      const QString oldName = OpenedProjectName_;
      Converter_->SetProject(0);
      Converter_->SetProject(openId);
      OpenedProjectName_ = Converter_->ProjectName();
      SetCaption(OpenedProjectName_);
      AddLog(QStringLiteral("Проект \"") + oldName + QStringLiteral("\" переименован в \"") + OpenedProjectName_ + u'"');
      ReloadTree(false);
    }
    return;
  }
  AddLog(QStringLiteral("Открытый проект \"") + OpenedProjectName_ + QStringLiteral("\" удалён"));
  CloseProject();
}

void TMainForm::ProjectAddScriptActionExecute() {
  RunCommand([this] {
    TOptAddScript options;
    if (!AskRunOptions(false, options)) return;
    ReadScripts_.push_back(options.FileName);
    ObjectTree->collapseAll();
    FocusFirstNode();
    ProgressBarPanel->show();
    try {
      Converter_->AddScript(options);
    } catch (...) {
      ProgressBarPanel->hide();
      ReloadTree(false);
      throw;
    }
    ProgressBarPanel->hide();
    ReloadTree(false);
  });
}

void TMainForm::ProjectGenerateActionExecute() {
  RunCommand([this] {
    TOptAddScript options;
    if (!AskRunOptions(true, options)) return;
    options.KeptFiles = ReadScripts_;
    ObjectTree->collapseAll();
    FocusFirstNode();
    ProgressBarPanel->show();
    try {
      Converter_->GenerateScript(options);
    } catch (...) {
      ProgressBarPanel->hide();
      RefreshScriptViews();
      throw;
    }
    ProgressBarPanel->hide();
    RefreshScriptViews();
    if (Ask(QMessageBox::Question, QStringLiteral("Что дальше"),
            QStringLiteral("Загрузить скрипт в редактор ?"),
            QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
      return;
    QStringList arguments{QStringLiteral("-ODBC"), QStringLiteral("-datasource"),
                          Converter_->ProjectDNS()};
    if (Config_.EditorReadOnly) arguments << QStringLiteral("-x");
    const QString fileName = QString::fromStdString(options.FileName);
    arguments << QStringLiteral("-f") << fileName;
    StartEditor(arguments, QFileInfo(fileName).absolutePath());
  });
}

void TMainForm::StartEditor(const QStringList& arguments, const QString& workingDirectory) {
  const bool started = !Config_.EditorPath.trimmed().isEmpty() && Hooks_.StartDetached &&
                       Hooks_.StartDetached(Config_.EditorPath, arguments, workingDirectory);
  if (!started) throw Error("Невозможно запустить редактор SQL");
}

void TMainForm::EditCompileActionExecute() {
  RunCommand([this] {
    if (!ObjectActions_) return;
    Converter_->CompileObject();
    RefreshScriptViews();
    PageControl->setCurrentWidget(ASATab);
  });
}

void TMainForm::EditViewActionExecute() {
  RunCommand([this] {
    if (!ObjectActions_) return;
    if (!Converter_->DestScript()) {
      Converter_->CompileObject();
      RefreshScriptViews();
    }
    QStandardItem* node = CurrentNode();
    const QString name = node ? node->data(ObjectNameRole).toString() : QString();
    RunEditor(name, {Converter_->DestScript().value_or(QString())});
  });
}

QString TMainForm::ScriptFolder() {
  return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation))
      .filePath(QStringLiteral("ambrix/SCRIPT"));
}

void TMainForm::RunEditor(const QString& objectName, const QStringList& lines) {
  const QString folder = ScriptFolder();
  if (!QDir().mkpath(folder))
    throw Error(QStringLiteral("Невозможно создать папку \"%1\"").arg(folder).toStdString());
  const QString fileName = QDir(folder).filePath(SafeFileName(objectName) + QStringLiteral(".sql"));
  QString text;
  for (const QString& line : lines) {
    text += line;
    if (!text.endsWith(u'\n')) text += u'\n';
  }
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  QSaveFile file(fileName);
  if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0 || !file.commit())
    throw Error(QStringLiteral("Невозможно записать файл \"%1\": %2")
                    .arg(fileName, file.errorString())
                    .toStdString());
  StartEditor({fileName}, folder);
}

void TMainForm::EditClearCompileActionExecute() {
  RunCommand([this] {
    if (Ask(QMessageBox::Information, QStringLiteral("Внимание"),
            QStringLiteral("Вы хотите сбросить результаты компиляции всех обьектов проекта ?"),
            QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
      return;
    Converter_->ClearCompilation(0);
    Converter_->CloseObjectScript();  // the open object's result was reset too
    ReloadTree(true);
    Ask(QMessageBox::Information, QStringLiteral("Готово"), QStringLiteral("Успешно выполнено"),
        QMessageBox::Ok);
  });
}

void TMainForm::EditClearCompileTypeActionExecute() {
  RunCommand([this] {
    QStandardItem* node = CurrentNode();
    QString typeName;
    if (node)
      typeName = IsGroupLevel(node->data(LevelRole).toInt()) ? node->data(ObjectNameRole).toString()
                                                             : node->data(TypeObjectRole).toString();
    if (Ask(QMessageBox::Information, QStringLiteral("Внимание"),
            QStringLiteral("Вы хотите сбросить результаты компиляции [") + typeName +
                QStringLiteral("] проекта ?"),
            QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
      return;
    const std::optional<int> typeId = Converter_->LocateTypeObject(typeName);
    if (!typeId) throw Error("Тип обьекта не найден");
    Converter_->ClearCompilation(*typeId);
    Converter_->CloseObjectScript();
    ReloadTree(true);
    Ask(QMessageBox::Information, QStringLiteral("Готово"), QStringLiteral("Успешно выполнено"),
        QMessageBox::Ok);
  });
}

void TMainForm::EditDeleteActionExecute() {
  RunCommand([this] {
    QStandardItem* node = CurrentNode();
    if (!ObjectActions_ || !node || IsGroupLevel(node->data(LevelRole).toInt())) return;
    if (Ask(QMessageBox::Question, QStringLiteral("Внимание"),
            QStringLiteral("Хотите удалить обьект [") + node->data(ObjectNameRole).toString() +
                QStringLiteral("] из проекта ?"),
            QMessageBox::Yes | QMessageBox::No) == QMessageBox::No)
      return;
    Converter_->DeleteObject(node->data(ObjectIdRole).toInt());
    // The node goes from the tree without re-reading it; its neighbour
    // becomes current and is applied as a selection.
    const QModelIndex index = node->index();
    TreeModel->removeRow(index.row(), index.parent());
    ChangeNode();
  });
}

void TMainForm::HelpAboutActionExecute() {
  TAboutForm form(Hooks_, this);
  form.exec();
}

// ---------------------------------------------------------------------------
// Run options, find, properties, printing and settings.

bool TMainForm::AskRunOptions(bool forGeneration, TOptAddScript& options) {
  {
    TAddScriptOptForm form(Hooks_, this);
    form.SetRunSettings(Config_.InputEncoding, Config_.OutputEncoding, Config_.KeepGoing);
    if (!form.Execute(forGeneration)) return false;
    form.GetOptions(options);
  }
  // The encoding of the other kind of run stays as it was saved.
  if (forGeneration)
    Config_.OutputEncoding = QString::fromStdString(options.OutputEncoding);
  else
    Config_.InputEncoding = QString::fromStdString(options.InputEncoding);
  Config_.KeepGoing = options.KeepGoing;
  try {
    SaveGuiConfig(Config_);
  } catch (const std::exception& e) {
    AddLog(QString::fromUtf8(e.what()));  // the run goes on with the settings chosen
  }
  return true;
}

void TMainForm::EditFindActionExecute() {
  if (!ProjectOpened_) return;
  FindPanel->show();
  FindEdit->setFocus();
  FindEdit->selectAll();
}

bool TMainForm::EditFindNextActionExecute() {
  if (!ProjectOpened_) return false;
  const QString text = FindEdit->text();
  if (text.isEmpty()) {
    EditFindActionExecute();
    return false;
  }
  QWidget* page = PageControl->currentWidget();
  const bool found = page == MSSQLTab ? FindInTextView(SourceView, text)
                     : page == ASATab ? FindInTextView(DestView, text)
                                      : FindInTreeView(AlarmGrid, text);
  if (found)
    statusBar()->clearMessage();
  else
    statusBar()->showMessage(QStringLiteral("Не найдено: \"") + text + u'"');
  return found;
}

std::vector<PropertyRow> TMainForm::PropertyRows() {
  std::vector<PropertyRow> rows;
  if (!Converter_ || !ProjectOpened_) return rows;
  const std::vector<AlarmRow> alarms = Converter_->AlarmRows();
  QStandardItem* node = CurrentNode();
  if (node && !IsGroupLevel(node->data(LevelRole).toInt()) && Converter_->ObjectScriptOpen()) {
    const int objectId = node->data(ObjectIdRole).toInt();
    const long long own = std::count_if(alarms.begin(), alarms.end(),
                                        [&](const AlarmRow& alarm) { return alarm.Object_id == objectId; });
    QString parent;
    for (const TreeRow& row : Converter_->TreeRows())
      if (row.Object_id == objectId && !IsGroupLevel(row.Level)) parent = row.ParentObject;
    const std::optional<QString> dest = Converter_->DestScript();
    rows = {{QStringLiteral("Обьект"), node->data(ObjectNameRole).toString()},
            {QStringLiteral("Тип"), node->data(TypeObjectRole).toString()},
            {QStringLiteral("Родитель"), parent.isEmpty() ? QStringLiteral("нет") : parent},
            {QStringLiteral("Проект"), Converter_->ProjectName()},
            {QStringLiteral("Строк исходного скрипта"),
             QString::number(Converter_->SourceScript().split(u'\n').size())},
            {QStringLiteral("Скомпилирован"), dest ? QStringLiteral("да") : QStringLiteral("нет")},
            {QStringLiteral("Предупреждений"), QString::number(own)}};
    return rows;
  }
  int objects = 0;
  for (const TreeRow& row : Converter_->TreeRows()) objects += IsGroupLevel(row.Level) ? 0 : 1;
  rows = {{QStringLiteral("Проект"), Converter_->ProjectName()},
          {QStringLiteral("ODBC"), Converter_->ProjectDNS().isEmpty() ? QStringLiteral("нет") : Converter_->ProjectDNS()},
          {QStringLiteral("Обьектов"), QString::number(objects)},
          {QStringLiteral("Предупреждений"), QString::number(alarms.size())},
          {QStringLiteral("Репозиторий"), RepositoryText()}};
  return rows;
}

void TMainForm::ProjectPropActionExecute() {
  RunCommand([this] {
    if (!ProjectOpened_) return;
    QStandardItem* node = CurrentNode();
    const bool object = node && !IsGroupLevel(node->data(LevelRole).toInt());
    TPropertiesForm form(object ? QStringLiteral("Свойства обьекта") : QStringLiteral("Свойства проекта"),
                         PropertyRows(), this);
    form.exec();
  });
}

QString TMainForm::PrintedText() const {
  QWidget* page = PageControl->currentWidget();
  if (page == MSSQLTab) return SourceView->toPlainText();
  if (page == ASATab) return DestView->toPlainText();
  // The alarm grid: each group's caption, then its rows indented under it.
  QString text;
  const std::function<void(const QModelIndex&, int)> add = [&](const QModelIndex& parent, int depth) {
    for (int r = 0; r < AlarmModel->rowCount(parent); ++r) {
      const QModelIndex row = AlarmModel->index(r, 0, parent);
      QStringList cells;
      for (int c = 0; c < AlarmModel->columnCount(parent); ++c) {
        const QString cell = row.siblingAtColumn(c).data().toString();
        if (!cell.isEmpty()) cells << cell;
      }
      text += QString(depth * 2, u' ') + cells.join(QStringLiteral("  ")) + u'\n';
      add(row, depth + 1);
    }
  };
  add({}, 0);
  return text;
}

void TMainForm::ProjectPrintActionExecute() {
  RunCommand([this] {
    if (!ProjectOpened_) return;
    QPrinter printer;
    printer.setDocName(windowTitle());
    if (!Hooks_.ChoosePrinter || !Hooks_.ChoosePrinter(this, printer)) return;
    QTextDocument document;
    document.setDefaultFont(SourceView->font());
    document.setPlainText(PrintedText());
    document.print(&printer);
    AddLog(QStringLiteral("Напечатано: ") + PageControl->tabText(PageControl->currentIndex()));
  });
}

void TMainForm::OptionEditorActionExecute() {
  RunCommand([this] {
    TEditorSettingsForm form(Config_, this);
    if (form.exec() != QDialog::Accepted) return;
    form.GetSettings(Config_);
    SaveGuiConfig(Config_);
  });
}

QString TMainForm::RepositoryText() const {
  const QString configured = Config_.Repository.trimmed();
  const RepositoryLocation location =
      configured.isEmpty() ? DefaultRepositoryLocation() : ParseRepositoryLocation(configured.toStdString());
  return QString::fromStdString(location.ToString());
}

bool TMainForm::ServerDatabaseIsEmpty() const {
  try {
    const RepositoryLocation location = ParseRepositoryLocation(RepositoryText().toStdString());
    // A SQLite repository is made on first use: only a server's is installed by hand.
    return location.backend == Backend::PostgreSQL && Repository::Connect(location)->IsEmpty();
  } catch (const std::exception&) {
    return false;
  }
}

void TMainForm::InitRepositoryAndTell() {
  const RepositoryInitResult done = InitRepository(ParseRepositoryLocation(RepositoryText().toStdString()));
  const QString where = QString::fromStdString(done.location);
  QString text;
  switch (done.outcome) {
    case RepositoryInitResult::Outcome::Installed:
      text = QStringLiteral("В базу %1 установлен репозиторий (схема версии %2)").arg(where).arg(done.toVersion);
      break;
    case RepositoryInitResult::Outcome::Upgraded:
      text = QStringLiteral("Репозиторий %1 обновлён со схемы версии %2 до %3")
                 .arg(where)
                 .arg(done.fromVersion)
                 .arg(done.toVersion);
      break;
    case RepositoryInitResult::Outcome::UpToDate:
      text = QStringLiteral("Репозиторий %1 уже в актуальном состоянии (схема версии %2)").arg(where).arg(done.toVersion);
      break;
  }
  if (done.dialectRowsChanged) text += QStringLiteral("; строки диалекта обновлены");
  AddLog(text);
  Ask(QMessageBox::Information, QStringLiteral("Репозиторий"), text, QMessageBox::Ok);
}

void TMainForm::OptionRepositoryActionExecute() {
  RunCommand([this] {
    if (Ask(QMessageBox::Question, QStringLiteral("Репозиторий"),
            QStringLiteral("Установить или обновить репозиторий ") + RepositoryText() + QStringLiteral(" ?"),
            QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
      return;
    InitRepositoryAndTell();
  });
}

}  // namespace ambrix::ui
