// The main window over the real converter object and a temporary SQLite
// repository holding the dialect the program carries.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QStatusBar>
#include <QImage>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QSet>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeView>

#include "driver/convert_data_module.h"
#include "ui/add_script_opt_form.h"
#include "ui/editor_settings_form.h"
#include "ui/properties_form.h"
#include "driver/repository.h"
#include "driver/repository_location.h"
#include "test_classes.h"
#include "ui/driver_converter.h"
#include "ui/main_form.h"
#include "ui/project_form.h"
#include "ui/project_table_model.h"
#include "ui_test_support.h"

namespace ambrix::ui::test {

namespace {

/// A window over a converter object on a fresh SQLite repository file.
struct RepositoryWindow {
  RepositoryWindow() {
    const RepositoryLocation location =
        ParseRepositoryLocation("sqlite:" + dir.filePath(QStringLiteral("repository.sqlite3")).toStdString());
    auto owned = std::make_unique<TConvertDataModule>(location);
    module = owned.get();
    TGuiConfig config;
    config.EditorPath = QStringLiteral("/usr/bin/dbisql");
    config.Repository = QString::fromStdString(location.ToString());
    config.Path = dir.filePath(QStringLiteral("ambrix-gui.ini"));
    form = std::make_unique<TMainForm>(
        config, [&owned] { return WrapConverter(std::move(owned)); }, hooks.Hooks());
    form->FormActivate();
  }

  Repository& repo() { return module->repository(); }

  int AddProject(const QString& name) {
    const int id = repo()
                       .RunNamed("dsProject.Insert", {{"Name", name}, {"Dialect_id", 1}, {"DNS", QStringLiteral("dsn")}})
                       .rows.at(0)
                       .at(0)
                       .toInt();
    module->dsProject.Open();
    return id;
  }

  int AddObject(int projectId, const QString& type, const QString& name, const QString& source, int parent = 0) {
    const int typeId =
        repo().Run(QStringLiteral("select TypeObject_id from TypeObject where upper(Name) = :n"), {{"n", type}})
            .rows.at(0)
            .at(0)
            .toInt();
    module->cmdScriptAppend.SetParam("Object", name);
    module->cmdScriptAppend.SetParam("ParentObject_id", parent > 0 ? QVariant(parent) : QVariant());
    module->cmdScriptAppend.SetParam("TypeObject_id", typeId);
    module->cmdScriptAppend.SetParam("Project_id", projectId);
    module->cmdScriptAppend.SetParam("SourceScript", source);
    module->cmdScriptAppend.Execute();
    return repo().Run(QStringLiteral("select max( Object_id ) from MetaObject")).rows.at(0).at(0).toInt();
  }

  /// A project "Demo" with a table, its primary key and a view.
  void AddDemo() {
    demo = AddProject(QStringLiteral("Demo"));
    orders = AddObject(demo, QStringLiteral("TABLE"), QStringLiteral("Orders"),
                       QStringLiteral("CREATE TABLE dbo.Orders (\r\n  OrderId int NOT NULL,\r\n  "
                                      "Qty smallint NULL\r\n)"));
    AddObject(demo, QStringLiteral("CONSTRAINT PRIMARY KEY"), QStringLiteral("PK_Orders"),
              QStringLiteral("ALTER TABLE dbo.Orders ADD CONSTRAINT PK_Orders PRIMARY KEY (OrderId)"), orders);
    view = AddObject(demo, QStringLiteral("VIEW"), QStringLiteral("BigOrders"),
                     QStringLiteral("CREATE VIEW BigOrders AS SELECT * FROM Orders WHERE Qty > 10"));
  }

  void Open(int id) {
    WhenModal<TProjectForm>([id](TProjectForm* f) {
      f->LocateProject(id);
      f->SelectButton->click();
    });
    form->ProjectOpenAction->trigger();
  }

  QModelIndex Node(const QString& caption) const {
    const QModelIndexList found = form->TreeModel->match(form->TreeModel->index(0, 0), Qt::DisplayRole, caption,
                                                         1, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? QModelIndex() : found.first();
  }

  /// Writes a script file in the test folder; returns its path.
  QString WriteScript(const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) return {};
    return path;
  }

  /// Runs reverse-engineering (false) or generation (true) of `file` from
  /// the window, choosing in the options dialog as `choose` does.
  void RunFromOptions(bool forGeneration, const QString& file,
                      const std::function<void(TAddScriptOptForm*)>& choose = {}) {
    hooks.ChosenFile = file;
    if (forGeneration) hooks.Answers = {QMessageBox::No};  // do not open the editor
    WhenModal<TAddScriptOptForm>([choose](TAddScriptOptForm* f) {
      f->ScriptButton->click();
      if (choose) choose(f);
      f->RunButton->click();
    });
    (forGeneration ? form->ProjectGenerateAction : form->ProjectAddScriptAction)->trigger();
  }

  QTemporaryDir dir;
  RecordingHooks hooks;
  TConvertDataModule* module = nullptr;
  std::unique_ptr<TMainForm> form;
  int demo = 0, orders = 0, view = 0;
};

}  // namespace

class RepositoryWindowTests : public QObject {
  Q_OBJECT

  QTemporaryDir cache_;

 private slots:
  void initTestCase() { qputenv("XDG_CACHE_HOME", cache_.path().toUtf8()); }

  void CreatesAProjectInTheRepositoryAndOpensIt() {
    RepositoryWindow w;
    QVERIFY(w.hooks.Errors().isEmpty());
    WhenModal<TProjectForm>([](TProjectForm* f) {
      QVERIFY(!f->SelectButton->isEnabled());  // a new repository has no project
      f->NavClick(TProjectForm::NavButton::Insert);
      const int row = f->Model->EditRow();
      f->Model->setData(f->Model->index(row, TProjectTableModel::NameColumn), QStringLiteral("Склад"), Qt::EditRole);
      f->Model->setData(f->Model->index(row, TProjectTableModel::DialectColumn), 1, Qt::EditRole);
      f->Model->setData(f->Model->index(row, TProjectTableModel::DnsColumn), QStringLiteral("sklad"), Qt::EditRole);
      f->SelectButton->click();
    });
    w.form->ProjectOpenAction->trigger();
    QCOMPARE(w.hooks.Errors(), QStringList());
    const QueryResult stored = w.repo().Run(QStringLiteral("select Project_id, Name, DNS from Project"));
    QCOMPARE(stored.rows.size(), size_t(1));
    QCOMPARE(stored.rows[0][1].toString(), QStringLiteral("Склад"));
    QCOMPARE(stored.rows[0][2].toString(), QStringLiteral("sklad"));
    QVERIFY(w.form->ProjectOpened());
    QCOMPARE(w.module->ProjectId, stored.rows[0][0].toInt());
    const QStringList log = w.form->LogView->toPlainText().split(u'\n');
    QVERIFY(log.contains(QStringLiteral("Загрузка модулей конвертора завершена успешно")));
    QVERIFY(log.contains(QStringLiteral("Обьектов БД:")));
    QVERIFY(log.contains(QStringLiteral("Открыт проект \"Склад\"")));
    QCOMPARE(w.form->windowTitle(), QStringLiteral("Velkor Ambrix Database Convertor [Склад]"));
  }

  void ProjectDialogEditsTheRepositoryList() {
    RepositoryWindow w;
    const int a = w.AddProject(QStringLiteral("A"));
    w.AddProject(QStringLiteral("B"));
    TProjectForm form(*w.form->Converter(), w.hooks.Hooks());
    form.LocateProject(a);
    form.Model->setData(form.Model->index(form.CurrentRow(), TProjectTableModel::NameColumn), QStringLiteral("A2"),
                        Qt::EditRole);
    form.ExitButtonClick();
    QCOMPARE(w.repo().Run(QStringLiteral("select Name from Project where Project_id = :id"), {{"id", a}})
                 .rows.at(0)
                 .at(0)
                 .toString(),
             QStringLiteral("A2"));
    form.LocateProject(a);
    form.NavClick(TProjectForm::NavButton::Delete);  // answered Yes
    QCOMPARE(w.repo().Run(QStringLiteral("select count(*) from Project")).rows.at(0).at(0).toInt(), 1);
    QCOMPARE(form.Model->rowCount(), 1);
  }

  void ShowsTheProjectsObjectTreeAndScripts() {
    RepositoryWindow w;
    w.AddDemo();
    w.Open(w.demo);
    QCOMPARE(w.hooks.Errors(), QStringList());
    TMainForm& f = *w.form;
    const QModelIndex orders = w.Node(QStringLiteral("Orders"));
    const QModelIndex pk = w.Node(QStringLiteral("PK_Orders"));
    QVERIFY(orders.isValid() && pk.isValid() && w.Node(QStringLiteral("BigOrders")).isValid());
    QCOMPARE(pk.parent().parent(), orders);  // under a type group of its table
    QCOMPARE(f.ObjectTree->currentIndex(), f.TreeModel->index(0, 0));
    QCOMPARE(f.PageControl->currentWidget(), f.AlarmTab);

    f.SelectNode(orders);
    QCOMPARE(f.SourceView->toPlainText(),
             QStringLiteral("CREATE TABLE dbo.Orders (\n  OrderId int NOT NULL,\n  Qty smallint NULL\n)"));
    QVERIFY(f.DestView->toPlainText().isEmpty());
    QVERIFY(f.EditCompileAction->isVisible());
    QVERIFY(f.Converter()->ReservedWords().contains(QStringLiteral("CREATE TABLE")));

    f.SelectNode(orders.parent());
    QVERIFY(!f.PageControl->isTabVisible(0));
    QVERIFY(!w.module->dsObjectScript.IsOpen());
  }

  void ResetOfATypeLocatesItInTheDialect() {
    RepositoryWindow w;
    w.AddDemo();
    w.Open(w.demo);
    w.form->SelectNode(w.Node(QStringLiteral("BigOrders")));
    w.form->EditClearCompileTypeAction->trigger();
    // The tree names the type as the repository stores it.
    QCOMPARE(w.hooks.Messages.at(0).Text,
             QStringLiteral("Вы хотите сбросить результаты компиляции [view] проекта ?"));
    QCOMPARE(w.hooks.Errors(), QStringList());
    QCOMPARE(w.hooks.Messages.back().Text, QStringLiteral("Успешно выполнено"));
    QCOMPARE(w.module->dsTypeObject.Text("Name"), std::string("VIEW"));
  }

  void CompilesResetsAndDeletesThroughTheConverter() {
    {
      RepositoryWindow w;
      w.AddDemo();
      w.Open(w.demo);
      w.form->SelectNode(w.Node(QStringLiteral("Orders")));
      w.form->EditCompileAction->trigger();
      QCOMPARE(w.hooks.Errors(), QStringList());
      QVERIFY(!w.form->DestView->toPlainText().isEmpty());
      QCOMPARE(w.form->PageControl->currentWidget(), w.form->ASATab);

      w.form->EditClearCompileAction->trigger();
      QVERIFY(w.form->DestView->toPlainText().isEmpty());
      QVERIFY(w.repo().Run(QStringLiteral("select DestScript from MetaObject where Object_id = :id"),
                           {{"id", w.orders}})
                  .rows.at(0)
                  .at(0)
                  .isNull());

      w.form->SelectNode(w.Node(QStringLiteral("BigOrders")));
      w.form->EditDeleteAction->trigger();
      QVERIFY(!w.Node(QStringLiteral("BigOrders")).isValid());
      QCOMPARE(w.repo().Run(QStringLiteral("select count(*) from MetaObject where Object_id = :id"),
                            {{"id", w.view}})
                   .rows.at(0)
                   .at(0)
                   .toInt(),
               0);
    }
  }

  void ImportsGeneratesAndShowsAlarms() {
    RepositoryWindow w;
    w.demo = w.AddProject(QStringLiteral("Demo"));
    w.Open(w.demo);
    const QString script = w.dir.filePath(QStringLiteral("customers.sql"));
    QFile file(script);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("CREATE TABLE dbo.Customers (\r\n  CustomerId int NOT NULL\r\n)\r\nGO\r\n"
               "ALTER TABLE dbo.Customers ADD CONSTRAINT PK_Customers PRIMARY KEY (CustomerId)\r\nGO\r\n"
               "CREATE VIEW dbo.Objects AS\r\nSELECT name FROM sysobjects\r\nGO\r\n");
    file.close();
    w.hooks.ChosenFile = script;
    WhenModal<TAddScriptOptForm>([](TAddScriptOptForm* f) {
      f->ScriptButton->click();
      f->RunButton->click();
    });
    w.form->ProjectAddScriptAction->trigger();
    QCOMPARE(w.hooks.Errors(), QStringList());
    QVERIFY(w.Node(QStringLiteral("Customers")).isValid());
    QVERIFY(w.Node(QStringLiteral("PK_Customers")).isValid());
    QVERIFY(w.Node(QStringLiteral("Objects")).isValid());
    QVERIFY(w.form->LogView->toPlainText().contains(QStringLiteral("Реинженеринг успешно завершен")));
    QVERIFY(!w.form->ProgressBarPanel->isVisibleTo(w.form.get()));

    const QString target = w.dir.filePath(QStringLiteral("demo.asa.sql"));
    w.hooks.ChosenFile = target;
    w.hooks.Answers = {QMessageBox::No};  // do not open the editor
    WhenModal<TAddScriptOptForm>([](TAddScriptOptForm* f) {
      f->ScriptButton->click();
      f->RunButton->click();
    });
    w.form->ProjectGenerateAction->trigger();
    QCOMPARE(w.hooks.Errors(), QStringList());
    QCOMPARE(w.hooks.Messages.back().Caption, QStringLiteral("Что дальше"));
    QVERIFY(w.hooks.Started.empty());
    QFile generated(target);
    QVERIFY(generated.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(generated.readAll());
    QVERIFY(text.contains(QStringLiteral("> Проект: \"Demo\"")));
    QVERIFY(text.contains(QStringLiteral("print 'Customers'")));

    // The view reads a system table: its alarm is listed and leads to it.
    QStandardItemModel* m = w.form->AlarmModel;
    QVERIFY(m->rowCount() > 0);
    QModelIndex leaf;
    for (int a = 0; a < m->rowCount() && !leaf.isValid(); ++a)
      for (int t = 0; t < m->rowCount(m->index(a, 0)) && !leaf.isValid(); ++t) {
        const QModelIndex type = m->index(t, 0, m->index(a, 0));
        for (int r = 0; r < m->rowCount(type); ++r)
          if (m->index(r, 0, type).data().toString().compare(QStringLiteral("sysobjects"), Qt::CaseInsensitive) == 0)
            leaf = m->index(r, 0, type);
      }
    QVERIFY(leaf.isValid());
    w.form->AlarmGridDblClick(leaf);
    QCOMPARE(w.form->ObjectTree->currentIndex().data().toString(), QStringLiteral("Objects"));
    QCOMPARE(w.form->PageControl->currentWidget(), w.form->ASATab);
    QCOMPARE(w.form->DestView->textCursor().selectedText().toLower(), QStringLiteral("sysobjects"));
  }

  // ----- run options from the options dialog

  // Windows-1251 chosen in the dialog: the script is written in it, the
  // choice is saved and the next dialog starts from it; a character the code
  // page lacks fails the generation naming its line and column.
  void GeneratesInTheEncodingChosenAndSavesIt() {
    RepositoryWindow w;
    w.demo = w.AddProject(QStringLiteral("Demo"));
    w.Open(w.demo);
    w.RunFromOptions(false, w.WriteScript(QStringLiteral("goods.sql"),
                                          "CREATE TABLE dbo.\xD2\xEE\xE2\xE0\xF0 (\r\n  Id int NOT NULL\r\n)\r\nGO\r\n"),
                     [](TAddScriptOptForm* f) {
                       f->InputEncodingBox->setCurrentIndex(f->InputEncodingBox->findData(QStringLiteral("windows-1251")));
                     });
    QCOMPARE(w.hooks.Errors(), QStringList());
    QVERIFY(w.Node(QStringLiteral("Товар")).isValid());

    const QString target = w.dir.filePath(QStringLiteral("goods.asa.sql"));
    w.RunFromOptions(true, target, [](TAddScriptOptForm* f) {
      QCOMPARE(f->InputEncodingBox->currentData().toString(), QStringLiteral("windows-1251"));  // saved
      f->OutputEncodingBox->setCurrentIndex(f->OutputEncodingBox->findData(QStringLiteral("windows-1251")));
      f->KeepGoingBox->setChecked(true);
    });
    QCOMPARE(w.hooks.Errors(), QStringList());
    QFile generated(target);
    QVERIFY(generated.open(QIODevice::ReadOnly));
    const QByteArray bytes = generated.readAll();
    QVERIFY(bytes.contains("\xD2\xEE\xE2\xE0\xF0"));  // Товар in Windows-1251
    QVERIFY(!bytes.contains(QStringLiteral("Товар").toUtf8()));
    const TGuiConfig saved = ReadGuiConfig(w.form->Config().Path);
    QCOMPARE(saved.InputEncoding, QStringLiteral("windows-1251"));
    QCOMPARE(saved.OutputEncoding, QStringLiteral("windows-1251"));
    QCOMPARE(saved.KeepGoing, true);

    // A table whose name Windows-1251 cannot hold, on the second line of
    // its converted script.
    w.AddObject(w.demo, QStringLiteral("TABLE"), QStringLiteral("T2"),
                QStringLiteral("CREATE TABLE dbo.T2 (\r\n  Ωmega int NULL\r\n)"));
    w.RunFromOptions(true, w.dir.filePath(QStringLiteral("omega.asa.sql")), [](TAddScriptOptForm* f) {
      QCOMPARE(f->OutputEncodingBox->currentData().toString(), QStringLiteral("windows-1251"));
    });
    const QStringList errors = w.hooks.Errors();
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors[0].contains(QStringLiteral("не может быть записан в кодировке windows-1251: строка ")) &&
                 errors[0].contains(QStringLiteral(", столбец 3")),
             qPrintable(errors[0]));
    QVERIFY(!QFileInfo::exists(w.dir.filePath(QStringLiteral("omega.asa.sql"))));
  }

  // ----- find

  void FindsInEachViewAndFindsNext() {
    RepositoryWindow w;
    w.AddDemo();
    w.Open(w.demo);
    TMainForm& f = *w.form;
    f.SelectNode(w.Node(QStringLiteral("Orders")));
    f.PageControl->setCurrentWidget(f.MSSQLTab);
    QVERIFY(f.EditFindAction->isEnabled() && f.EditFindNextAction->isEnabled());
    f.EditFindAction->trigger();
    QVERIFY(f.FindPanel->isVisibleTo(&f));
    f.FindEdit->setText(QStringLiteral("order"));
    // Source: two matches, then around to the first again.
    QVERIFY(f.EditFindNextActionExecute());
    const int first = f.SourceView->textCursor().selectionStart();
    QCOMPARE(f.SourceView->textCursor().selectedText(), QStringLiteral("Order"));
    QVERIFY(f.EditFindNextActionExecute());
    QVERIFY(f.SourceView->textCursor().selectionStart() > first);
    f.EditFindNextAction->trigger();  // F3
    QCOMPARE(f.SourceView->textCursor().selectionStart(), first);
    f.FindEdit->setText(QStringLiteral("nowhere"));
    QVERIFY(!f.EditFindNextActionExecute());
    QCOMPARE(f.statusBar()->currentMessage(), QStringLiteral("Не найдено: \"nowhere\""));

    // The converted script.
    f.EditCompileAction->trigger();
    QCOMPARE(f.PageControl->currentWidget(), f.ASATab);
    f.FindEdit->setText(QStringLiteral("qty"));
    QVERIFY(f.EditFindNextActionExecute());
    QCOMPARE(f.DestView->textCursor().selectedText().toLower(), QStringLiteral("qty"));
    QVERIFY(f.statusBar()->currentMessage().isEmpty());

    // The alarm grid: a word inside a collapsed group.
    w.RunFromOptions(false, w.WriteScript(QStringLiteral("v.sql"), "CREATE VIEW V2 AS SELECT name FROM sysobjects\r\nGO\r\n"));
    f.SelectNode(w.Node(QStringLiteral("V2")));
    f.EditCompileAction->trigger();
    f.PageControl->setCurrentWidget(f.AlarmTab);
    f.CollapseAlarms();
    f.FindEdit->setText(QStringLiteral("SYSOBJ"));
    QVERIFY(f.EditFindNextActionExecute());
    const QModelIndex found = f.AlarmGrid->currentIndex();
    QCOMPARE(found.data().toString().toLower(), QStringLiteral("sysobjects"));
    QVERIFY(f.AlarmGrid->isExpanded(found.parent()) && f.AlarmGrid->isExpanded(found.parent().parent()));
    f.FindEdit->setText(QStringLiteral("nowhere"));
    QVERIFY(!f.EditFindNextActionExecute());
    QCOMPARE(f.AlarmGrid->currentIndex(), found);
  }

  // ----- properties and printing

  void ShowsTheProperties() {
    RepositoryWindow w;
    w.AddDemo();
    w.Open(w.demo);
    TMainForm& f = *w.form;
    const auto value = [&](const QString& caption) {
      for (const PropertyRow& row : f.PropertyRows())
        if (row.first == caption) return row.second;
      return QStringLiteral("(none)");
    };
    QCOMPARE(value(QStringLiteral("Проект")), QStringLiteral("Demo"));  // a group node: the project
    QCOMPARE(value(QStringLiteral("ODBC")), QStringLiteral("dsn"));
    QCOMPARE(value(QStringLiteral("Обьектов")), QStringLiteral("3"));
    QCOMPARE(value(QStringLiteral("Репозиторий")), f.Config().Repository);
    f.SelectNode(w.Node(QStringLiteral("PK_Orders")));
    QCOMPARE(value(QStringLiteral("Обьект")), QStringLiteral("PK_Orders"));
    QCOMPARE(value(QStringLiteral("Тип")).toUpper(), QStringLiteral("CONSTRAINT PRIMARY KEY"));
    QCOMPARE(value(QStringLiteral("Родитель")), QStringLiteral("Orders"));
    QCOMPARE(value(QStringLiteral("Скомпилирован")), QStringLiteral("нет"));
    f.EditCompileAction->trigger();
    QCOMPARE(value(QStringLiteral("Скомпилирован")), QStringLiteral("да"));
    QStringList shown;
    WhenModal<TPropertiesForm>([&shown](TPropertiesForm* p) {
      for (QLabel* label : p->findChildren<QLabel*>()) shown << label->text();
      p->OkButton->click();
    });
    QVERIFY(f.ProjectPropAction->isEnabled());
    f.ProjectPropAction->trigger();
    QVERIFY2(shown.contains(QStringLiteral("PK_Orders")) && shown.contains(QStringLiteral("Orders")),
             qPrintable(shown.join(u',')));
  }

  void PrintsTheViewShownToAPdf() {
    RepositoryWindow w;
    w.AddDemo();
    w.Open(w.demo);
    TMainForm& f = *w.form;
    const QString pdf = w.dir.filePath(QStringLiteral("orders.pdf"));
    bool asked = false;
    f.SelectNode(w.Node(QStringLiteral("Orders")));
    f.PageControl->setCurrentWidget(f.MSSQLTab);
    QCOMPARE(f.PrintedText(), f.SourceView->toPlainText());
    f.PageControl->setCurrentWidget(f.AlarmTab);
    QVERIFY(f.PrintedText().isEmpty());  // no alarm yet
    f.PageControl->setCurrentWidget(f.MSSQLTab);
    w.hooks.Printer = [&](QWidget*, QPrinter& printer) {
      asked = true;
      printer.setOutputFormat(QPrinter::PdfFormat);
      printer.setOutputFileName(pdf);
      return true;
    };
    QVERIFY(f.ProjectPrintAction->isEnabled());
    f.ProjectPrintAction->trigger();
    QVERIFY(asked);
    QCOMPARE(w.hooks.Errors(), QStringList());
    QFile file(pdf);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.startsWith("%PDF") && bytes.size() > 1000);
    // Cancelled: nothing is printed.
    QFile::remove(pdf);
    w.hooks.Printer = [](QWidget*, QPrinter&) { return false; };
    f.ProjectPrintAction->trigger();
    QVERIFY(!QFileInfo::exists(pdf));
  }

  // ----- settings

  void EditorSettingsAreSavedAndUsed() {
    RepositoryWindow w;
    w.AddDemo();
    w.Open(w.demo);
    WhenModal<TEditorSettingsForm>([](TEditorSettingsForm* s) {
      QCOMPARE(s->EditorEdit->text(), QStringLiteral("/usr/bin/dbisql"));
      s->EditorEdit->setText(QStringLiteral("/opt/sqlanywhere/dbisql"));
      s->ReadOnlyBox->setChecked(false);
      s->OkButton->click();
    });
    QVERIFY(w.form->OptionEditorAction->isEnabled());
    w.form->OptionEditorAction->trigger();
    const TGuiConfig saved = ReadGuiConfig(w.form->Config().Path);
    QCOMPARE(saved.EditorPath, QStringLiteral("/opt/sqlanywhere/dbisql"));
    QCOMPARE(saved.EditorReadOnly, false);
    w.form->SelectNode(w.Node(QStringLiteral("Orders")));
    w.form->EditViewAction->trigger();
    QCOMPARE(w.hooks.Errors(), QStringList());
    QCOMPARE(w.hooks.Started.back().Program, QStringLiteral("/opt/sqlanywhere/dbisql"));
  }

  // ----- the repository

  // The window sets up its repository as `ambrix repository init` does: an
  // older form is upgraded, then found up to date; a database of something
  // else is refused with the reason.
  void InstallsOrUpgradesItsRepository() {
    RepositoryWindow w;
    w.repo().Execute(QStringLiteral("drop table RepositoryVersion"));
    w.form->OptionRepositoryAction->trigger();
    QCOMPARE(w.hooks.Errors(), QStringList());
    QCOMPARE(w.hooks.Messages.back().Caption, QStringLiteral("Репозиторий"));
    QCOMPARE(w.hooks.Messages.back().Text, QStringLiteral("Репозиторий ") + w.form->Config().Repository +
                                               QStringLiteral(" обновлён со схемы версии 3 до 4"));
    QCOMPARE(w.repo().SchemaVersion(), 4);
    w.form->OptionRepositoryAction->trigger();
    QCOMPARE(w.hooks.Messages.back().Text, QStringLiteral("Репозиторий ") + w.form->Config().Repository +
                                               QStringLiteral(" уже в актуальном состоянии (схема версии 4)"));
    QVERIFY(w.form->LogView->toPlainText().contains(QStringLiteral("уже в актуальном состоянии")));
    w.hooks.Answers = {QMessageBox::No};
    const std::size_t asked = w.hooks.Messages.size();
    w.form->OptionRepositoryAction->trigger();
    QCOMPARE(w.hooks.Messages.size(), asked + 1);  // the question only

    TGuiConfig other;
    other.Repository = QStringLiteral("sqlite:") + w.WriteScript(QStringLiteral("other.db"), {});
    {
      auto foreign = Repository::Connect(ParseRepositoryLocation(other.Repository.toStdString()));
      foreign->Execute(QStringLiteral("create table invoice ( id integer )"));
    }
    RecordingHooks hooks;
    TMainForm form(other, [] { return std::unique_ptr<IConverterPort>(); }, hooks.Hooks());
    form.OptionRepositoryAction->trigger();
    QCOMPARE(hooks.Errors().size(), 1);
    QVERIFY2(hooks.Errors()[0].contains(QStringLiteral("holds tables that are not a repository of this program (invoice)")),
             qPrintable(hooks.Errors()[0]));
  }

  void WritesAScreenshotOfTheOpenProject() {
    RepositoryWindow w;
    w.AddDemo();
    w.Open(w.demo);
    w.form->resize(1100, 700);
    w.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.form.get()));
    w.form->ObjectTree->expandAll();
    w.form->SelectNode(w.Node(QStringLiteral("Orders")));
    w.form->EditCompileAction->trigger();
    w.form->PageControl->setCurrentWidget(w.form->MSSQLTab);
    QTest::qWait(50);
    const QString path = QStringLiteral(AMBRIX_BINARY_DIR "/ambrix-gui-screenshot.png");
    QVERIFY(w.form->grab().save(path));
    // What was written is the window: its size, and more than a blank field
    // (text, the tree and the frames give many colours).
    const QImage shot(path);
    QVERIFY2(!shot.isNull(), qPrintable(path));
    QCOMPARE(shot.size() / shot.devicePixelRatio(), w.form->size());
    QSet<QRgb> colours;
    for (int y = 0; y < shot.height() && colours.size() < 8; y += 3)
      for (int x = 0; x < shot.width() && colours.size() < 8; x += 3) colours.insert(shot.pixel(x, y));
    QVERIFY2(colours.size() >= 8, "the screenshot is (almost) one colour");
    qInfo("screenshot: %s", qPrintable(path));
  }
};

QObject* NewRepositoryWindowTests() { return new RepositoryWindowTests; }

}  // namespace ambrix::ui::test

#include "test_repository_window.moc"
