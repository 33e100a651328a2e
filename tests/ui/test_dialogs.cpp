// The project list, the options dialog and the About box.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include "fake_converter.h"
#include "test_classes.h"
#include "text/version.h"
#include "ui/about_form.h"
#include "ui/add_script_opt_form.h"
#include "ui/project_form.h"
#include "ui/project_table_model.h"
#include "ui_test_support.h"

namespace ambrix::ui::test {

using Nav = TProjectForm::NavButton;
using Model = TProjectTableModel;

class DialogTests : public QObject {
  Q_OBJECT

  static void Seed(FakeConverter& store) {
    store.projects = {{7, QStringLiteral("Склад"), 1, QStringLiteral("sklad")},
                      {3, QStringLiteral("Архив"), 1, {}},
                      {5, QStringLiteral("Бухгалтерия"), 1, QStringLiteral("buh")}};
    store.nextProjectId = 10;
  }

  static QString CellText(TProjectForm& form, int row, int column) {
    return form.Model->index(row, column).data().toString();
  }

 private slots:
  // ----- project list

  void ListsProjectsByNameWithDialectLookup() {
    FakeConverter store;
    Seed(store);
    RecordingHooks hooks;
    TProjectForm form(store, hooks.Hooks());
    QCOMPARE(form.windowTitle(), QStringLiteral("Проекты"));
    QCOMPARE(CellText(form, 0, Model::NameColumn), QStringLiteral("Архив"));
    QCOMPARE(CellText(form, 1, Model::NameColumn), QStringLiteral("Бухгалтерия"));
    QCOMPARE(CellText(form, 2, Model::NameColumn), QStringLiteral("Склад"));
    QCOMPARE(CellText(form, 2, Model::DialectColumn), QStringLiteral("MSSQL 2000"));
    QCOMPARE(CellText(form, 2, Model::DnsColumn), QStringLiteral("sklad"));
    QCOMPARE(form.Model->headerData(Model::DnsColumn, Qt::Horizontal, Qt::DisplayRole).toString(),
             QStringLiteral("Алиас ODBC"));
  }

  void NavigatorHasItsHints() {
    FakeConverter store;
    RecordingHooks hooks;
    TProjectForm form(store, hooks.Hooks());
    const QStringList hints{QStringLiteral("Первая"),   QStringLiteral("Предыдущая"),
                            QStringLiteral("Следующая"), QStringLiteral("Последняя"),
                            QStringLiteral("Добавить"),  QStringLiteral("Удалить"),
                            QStringLiteral("Сохранить"), QStringLiteral("Отменить")};
    for (int i = 0; i < hints.size(); ++i)
      QCOMPARE(form.NavButtonWidget(Nav(i))->toolTip(), hints[i]);
  }

  void LocatesTheGivenProjectOrTheFirstRow() {
    FakeConverter store;
    Seed(store);
    RecordingHooks hooks;
    TProjectForm form(store, hooks.Hooks());
    form.LocateProject(7);
    QCOMPARE(form.CurrentProjectId(), 7);
    form.LocateProject(42);  // no longer exists
    QCOMPARE(form.CurrentRow(), 0);
    QCOMPARE(form.CurrentProjectId(), 3);
    form.LocateProject(0);
    QCOMPARE(form.CurrentRow(), 0);
  }

  void EmptyRepositoryCannotLoadAndExitReturnsFalse() {
    FakeConverter store;
    RecordingHooks hooks;
    TProjectForm form(store, hooks.Hooks());
    QVERIFY(!form.SelectButton->isEnabled());
    QCOMPARE(form.CurrentProjectId(), 0);
    WhenModal<TProjectForm>([](TProjectForm* f) { f->ExitButton->click(); });
    int id = 4;
    QVERIFY(!form.Execute(id));
    QCOMPARE(id, 4);
  }

  void LoadReturnsTheCurrentProject() {
    FakeConverter store;
    Seed(store);
    RecordingHooks hooks;
    TProjectForm form(store, hooks.Hooks());
    WhenModal<TProjectForm>([](TProjectForm* f) {
      f->NavClick(Nav::Last);
      f->SelectButton->click();
    });
    int id = 3;
    QVERIFY(form.Execute(id));
    QCOMPARE(id, 7);
  }

  void DoubleClickOnTheGridLoads() {
    FakeConverter store;
    Seed(store);
    RecordingHooks hooks;
    TProjectForm form(store, hooks.Hooks());
    WhenModal<TProjectForm>([](TProjectForm* f) {
      f->SetCurrentRow(1);
      emit f->Grid->doubleClicked(f->Model->index(1, 0));
    });
    int id = 0;
    QVERIFY(form.Execute(id));
    QCOMPARE(id, 5);
  }

  void InsertedRowChoosesItsDialectOnlyWhileInserting() {
    FakeConverter store;
    Seed(store);
    store.dialects.push_back({2, QStringLiteral("Sybase")});
    RecordingHooks hooks;
    TProjectForm form(store, hooks.Hooks());
    const QModelIndex existing = form.Model->index(0, Model::DialectColumn);
    QVERIFY(!(form.Model->flags(existing) & Qt::ItemIsEditable));
    QVERIFY(!form.Model->setData(existing, 2, Qt::EditRole));

    form.NavClick(Nav::Insert);
    QCOMPARE(form.Model->GetState(), Model::State::Insert);
    const int row = form.Model->EditRow();
    QVERIFY(form.Model->flags(form.Model->index(row, Model::DialectColumn)) & Qt::ItemIsEditable);
    QVERIFY(form.Model->setData(form.Model->index(row, Model::NameColumn), QStringLiteral("Новый"), Qt::EditRole));
    QVERIFY(form.Model->setData(form.Model->index(row, Model::DialectColumn), 2, Qt::EditRole));
    QVERIFY(form.Model->setData(form.Model->index(row, Model::DnsColumn), QStringLiteral("dsn"), Qt::EditRole));
    form.NavClick(Nav::Post);

    QCOMPARE(form.Model->GetState(), Model::State::Browse);
    QCOMPARE(store.projects.size(), size_t(4));
    QCOMPARE(store.projects.back().Name, QStringLiteral("Новый"));
    QCOMPARE(store.projects.back().Dialect_id, 2);
    QCOMPARE(store.projects.back().DNS, QStringLiteral("dsn"));
    QCOMPARE(form.CurrentProjectId(), 10);  // the posted row stays current, in name order
    QCOMPARE(form.CurrentRow(), 2);
    QVERIFY(!(form.Model->flags(form.Model->index(2, Model::DialectColumn)) & Qt::ItemIsEditable));
  }

  void EditedNameIsSavedWhenLeavingWithExit() {
    FakeConverter store;
    Seed(store);
    RecordingHooks hooks;
    TProjectForm form(store, hooks.Hooks());
    WhenModal<TProjectForm>([](TProjectForm* f) {
      f->Model->setData(f->Model->index(0, Model::NameColumn), QStringLiteral("Архив 2"), Qt::EditRole);
      f->ExitButton->click();
    });
    int id = 0;
    QVERIFY(!form.Execute(id));
    QCOMPARE(store.projects[1].Name, QStringLiteral("Архив 2"));
  }

  void MovingOffAnEditedRowPostsIt() {
    FakeConverter store;
    Seed(store);
    RecordingHooks hooks;
    TProjectForm form(store, hooks.Hooks());
    form.SetCurrentRow(0);
    form.Model->setData(form.Model->index(0, Model::DnsColumn), QStringLiteral("arch"), Qt::EditRole);
    form.NavClick(Nav::Next);
    QCOMPARE(form.Model->GetState(), Model::State::Browse);
    QCOMPARE(store.projects[1].DNS, QStringLiteral("arch"));
    QCOMPARE(form.CurrentProjectId(), 5);
  }

  void CancelDropsTheInsertedRow() {
    FakeConverter store;
    Seed(store);
    RecordingHooks hooks;
    TProjectForm form(store, hooks.Hooks());
    form.NavClick(Nav::Insert);
    QCOMPARE(form.Model->rowCount(), 4);
    form.NavClick(Nav::Cancel);
    QCOMPARE(form.Model->rowCount(), 3);
    QCOMPARE(store.projects.size(), size_t(3));
  }

  void RowWithoutNameIsNotPostedAndStaysPending() {
    FakeConverter store;
    RecordingHooks hooks;
    TProjectForm form(store, hooks.Hooks());
    form.NavClick(Nav::Insert);
    form.SelectButtonClick();
    QCOMPARE(hooks.Errors(), QStringList{QStringLiteral("Поле 'Проект' должно иметь значение")});
    QCOMPARE(form.Model->GetState(), Model::State::Insert);
    QVERIFY(store.projects.empty());
    QCOMPARE(form.result(), 0);  // the dialog did not close
  }

  void StoreFailureKeepsTheRowPending() {
    FakeConverter store;
    store.failPost = true;
    RecordingHooks hooks;
    TProjectForm form(store, hooks.Hooks());
    form.NavClick(Nav::Insert);
    form.Model->setData(form.Model->index(0, Model::NameColumn), QStringLiteral("X"), Qt::EditRole);
    form.NavClick(Nav::Post);
    QCOMPARE(hooks.Errors(), QStringList{QStringLiteral("нарушение уникальности")});
    QCOMPARE(form.Model->GetState(), Model::State::Insert);
    QCOMPARE(CellText(form, 0, Model::NameColumn), QStringLiteral("X"));
  }

  void DeleteAsksFirstAndNoKeepsTheRow() {
    FakeConverter store;
    Seed(store);
    RecordingHooks hooks;
    TProjectForm form(store, hooks.Hooks());
    form.SetCurrentRow(1);
    hooks.Answers = {QMessageBox::No};
    form.NavClick(Nav::Delete);
    QCOMPARE(store.projects.size(), size_t(3));
    QCOMPARE(hooks.Messages.size(), size_t(1));
    QCOMPARE(hooks.Messages[0].Caption, QStringLiteral("Внимание"));
    QCOMPARE(hooks.Messages[0].Text, QStringLiteral("Вы точно хотите удалить проект ?"));
    QCOMPARE(hooks.Messages[0].Icon, QMessageBox::Question);

    form.NavClick(Nav::Delete);  // answered Yes
    QCOMPARE(store.projects.size(), size_t(2));
    QCOMPARE(form.Model->rowCount(), 2);
    QCOMPARE(form.CurrentProjectId(), 7);
  }

  void DeletingTheLastProjectDisablesLoad() {
    FakeConverter store;
    store.projects = {{1, QStringLiteral("A"), 1, {}}};
    RecordingHooks hooks;
    TProjectForm form(store, hooks.Hooks());
    form.LocateProject(1);
    QVERIFY(form.SelectButton->isEnabled());
    form.NavClick(Nav::Delete);
    QVERIFY(!form.SelectButton->isEnabled());
  }

  // ----- options dialog

  void RunNeedsAFileAndCancelledChoiceChangesNothing() {
    RecordingHooks hooks;
    TAddScriptOptForm form(hooks.Hooks());
    QVERIFY(!form.RunButton->isEnabled());
    form.ScriptButton->click();  // the file dialog is cancelled
    QVERIFY(!form.RunButton->isEnabled());
    QVERIFY(form.ScriptEdit->text().isEmpty());
    hooks.ChosenFile = QStringLiteral("/tmp/a.sql");
    form.ScriptButton->click();
    QCOMPARE(form.ScriptEdit->text(), QStringLiteral("/tmp/a.sql"));
    QVERIFY(form.RunButton->isEnabled());
    hooks.ChosenFile.clear();
    form.ScriptButton->click();
    QCOMPARE(form.ScriptEdit->text(), QStringLiteral("/tmp/a.sql"));
  }

  void F4AndDoubleClickChooseTheFile() {
    RecordingHooks hooks;
    hooks.ChosenFile = QStringLiteral("/tmp/b.sql");
    TAddScriptOptForm form(hooks.Hooks());
    QTest::keyClick(form.ScriptEdit, Qt::Key_F4);
    QCOMPARE(form.ScriptEdit->text(), QStringLiteral("/tmp/b.sql"));
    hooks.ChosenFile = QStringLiteral("/tmp/c.sql");
    QTest::mouseDClick(form.ScriptEdit, Qt::LeftButton);
    QCOMPARE(form.ScriptEdit->text(), QStringLiteral("/tmp/c.sql"));
  }

  void ReverseEngineeringModeAsksForTreatment() {
    RecordingHooks hooks;
    hooks.ChosenFile = QStringLiteral("/tmp/src.sql");
    TAddScriptOptForm form(hooks.Hooks());
    WhenModal<TAddScriptOptForm>([](TAddScriptOptForm* f) {
      QVERIFY(f->ProcessGroup->isVisible());
      f->ScriptButton->click();
      f->TypeBoxes[3]->setChecked(false);   // Table
      f->TypeBoxes[13]->setChecked(false);  // Trigger
      f->OnlyNewRadio->setChecked(true);
      f->RunButton->click();
    });
    QVERIFY(form.Execute(false));
    QCOMPARE(form.windowTitle(), QStringLiteral("Реинженеринг скрипта MSSQL"));
    QCOMPARE(hooks.FileDialogs.size(), size_t(1));
    QCOMPARE(hooks.FileDialogs[0].first, false);
    QCOMPARE(hooks.FileDialogs[0].second, QStringLiteral("Добавление в проект скрипта MSSQL"));
    TOptAddScript options;
    form.GetOptions(options);
    QCOMPARE(options.FileName, std::string("/tmp/src.sql"));
    QCOMPARE(options.Mode, 0);
    QVERIFY(!options.WithTable);
    QVERIFY(!options.WithTrigger);
    QVERIFY(options.WithDefault && options.WithRule && options.WithDomain && options.WithView &&
            options.WithProcedure && options.WithFunction && options.WithPrimaryKey &&
            options.WithConstraintDefault && options.WithCheck && options.WithUnique &&
            options.WithForeignKey && options.WithIndex);
    form.UpdateAllRadio->setChecked(true);
    form.GetOptions(options);
    QCOMPARE(options.Mode, 2);
  }

  void TypeBoxesHaveTheirCaptionsAndStartChecked() {
    RecordingHooks hooks;
    TAddScriptOptForm form(hooks.Hooks());
    const QStringList captions{
        "Default", "Rule", "Domain", "Table", "View", "Procedure", "Function",
        "Constraint (primary key)", "Constraint (default)", "Constraint (check)",
        "Constraint (unique)", "Constraint (foreign key)", "Index", "Trigger"};
    for (int i = 0; i < 14; ++i) {
      QCOMPARE(form.TypeBoxes[size_t(i)]->text(), captions[i]);
      QVERIFY(form.TypeBoxes[size_t(i)]->isChecked());
    }
    QVERIFY(form.UpdateChangedRadio->isChecked());
  }

  void GenerationModeHidesTreatmentAndKeepsModeOne() {
    RecordingHooks hooks;
    hooks.ChosenFile = QStringLiteral("/tmp/out.sql");
    TAddScriptOptForm form(hooks.Hooks());
    WhenModal<TAddScriptOptForm>([](TAddScriptOptForm* f) {
      QVERIFY(!f->ProcessGroup->isVisible());
      for (QCheckBox* box : f->TypeBoxes) box->setChecked(false);
      f->ScriptButton->click();
      f->RunButton->click();
    });
    QVERIFY(form.Execute(true));
    QCOMPARE(form.windowTitle(), QStringLiteral("Генерация скрипта ASA"));
    QCOMPARE(hooks.FileDialogs[0].first, true);
    QCOMPARE(hooks.FileDialogs[0].second, QStringLiteral("Генерация скрипта ASA"));
    TOptAddScript options;
    form.GetOptions(options);
    QCOMPARE(options.Mode, 1);
    QVERIFY(!options.WithDefault && !options.WithTable && !options.WithTrigger);
  }

  void CancelReturnsFalse() {
    RecordingHooks hooks;
    TAddScriptOptForm form(hooks.Hooks());
    WhenModal<TAddScriptOptForm>([](TAddScriptOptForm* f) { f->CancelButton->click(); });
    QVERIFY(!form.Execute(false));
  }

  // ----- About

  void AboutShowsItsLinesAndNoMadeUpAddress() {
    RecordingHooks hooks;
    TAboutForm form(hooks.Hooks());
    QCOMPARE(form.windowTitle(), QStringLiteral("О программе"));
    QStringList texts;
    for (QLabel* label : form.findChildren<QLabel*>()) texts << label->text();
    for (const char* line : {"Ambrix Database Convertor", "(MS SQLServer 2000 -> Sybase Anywhere Studio 9)",
                             "Версия 1.0"})
      QVERIFY2(texts.contains(QString::fromUtf8(line)), line);
    QCOMPARE(form.ProgramLabel->text(),
             QStringLiteral("Velkor Ambrix Database Convertor, ambrix ") + QString::fromLatin1(Version()));
    for (const QString& text : texts) QVERIFY2(!text.contains(u'@') && !text.contains(QStringLiteral("example")), qPrintable(text));
    form.show();
    QTest::mouseClick(form.ProgramLabel, Qt::LeftButton);
    QVERIFY(hooks.Urls.isEmpty());
    form.OkButton->click();
    QCOMPARE(form.result(), int(QDialog::Accepted));
  }

  // The encoding of the script the run reads or writes, and keep-going: each
  // mode shows its own encoding; the dialog starts from the saved settings
  // and its answer carries what was chosen.
  void OffersTheEncodingsAndKeepGoing() {
    struct Case {
      bool forGeneration;
      QString savedInput, savedOutput;
      bool keepGoing;
      std::string input, output;  // what the answer carries
    };
    const Case cases[] = {
        {false, QStringLiteral("windows-1251"), QString(), true, "windows-1251", "utf-8"},
        {false, QStringLiteral("no-such"), QString(), false, "", "utf-8"},
        {true, QString(), QStringLiteral("WINDOWS-1251"), true, "", "windows-1251"},
        {true, QStringLiteral("utf-16be"), QStringLiteral("utf-8"), false, "utf-16be", "utf-8"},
    };
    for (const Case& c : cases) {
      RecordingHooks hooks;
      hooks.ChosenFile = QStringLiteral("/tmp/x.sql");
      TAddScriptOptForm form(hooks.Hooks());
      form.SetRunSettings(c.savedInput, c.savedOutput, c.keepGoing);
      WhenModal<TAddScriptOptForm>([&c](TAddScriptOptForm* f) {
        QCOMPARE(f->InputEncodingBox->isVisibleTo(f), !c.forGeneration);
        QCOMPARE(f->OutputEncodingBox->isVisibleTo(f), c.forGeneration);
        QVERIFY(f->KeepGoingBox->isVisibleTo(f));
        f->ScriptButton->click();
        f->RunButton->click();
      });
      QVERIFY(form.Execute(c.forGeneration));
      TOptAddScript options;
      form.GetOptions(options);
      QCOMPARE(options.InputEncoding, c.input);
      QCOMPARE(options.OutputEncoding, c.output);
      QCOMPARE(options.KeepGoing, c.keepGoing);
    }
    // The input encodings offered are those the command line takes.
    RecordingHooks none;
    TAddScriptOptForm form(none.Hooks());
    QStringList names;
    for (int i = 0; i < form.InputEncodingBox->count(); ++i) names << form.InputEncodingBox->itemData(i).toString();
    QCOMPARE(names, (QStringList{QString(), "utf-8", "windows-1251", "utf-16le", "utf-16be"}));
  }
};

QObject* NewDialogTests() { return new DialogTests; }

}  // namespace ambrix::ui::test

#include "test_dialogs.moc"
