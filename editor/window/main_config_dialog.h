#pragma once

// The editor's main window: menu, toolbar, status bar, the form-factor
// buttons and the property tree, over the configuration document.

#include <QString>
#include <memory>
#include <optional>

#include "configuration_document.h"
#include "tree_rows.h"
#include "working_paths.h"
#include "alt_dialog.h"
#include "param_tree.h"
#include "parameter_schema.h"

class QPushButton;
class QRadioButton;
class EditorPrompts;
class CPayloadCommands;
class PayloadCommandHost;

class CMainConfigDialog : public CAltDialog, public ParamTreeOwner {
  Q_OBJECT
 public:
  // Prompts: the dialogs and message boxes to use (the real ones when null).
  explicit CMainConfigDialog(EditorPrompts* prompts = nullptr, QWidget* parent = nullptr);
  ~CMainConfigDialog() override;

  // Builds the bars, the tree and its rows; false when the tree could not be made.
  bool initDialog();

  // Commands.
  bool onCommand(int id) override;
  void updateCommandUi(QAction* action, int id) override;
  bool transferData(bool save) override;
  bool loadToolBar(QToolBar* bar, int toolBarId) override;
  int paramTreeNotify(const ParamTreeNotify& n) override;

  void newDocument();
  void openDocument();
  // Opens a file without asking for it (the command line's file).
  void openFile(const QString& path, zefr::FormFactor formFactor);
  // True when the configuration was written.
  bool save();
  bool saveAs();
  void expandAll();
  void collapseAll();
  void userGuide();

  void updateTitle();
  int formFactor() const { return m_formFactor; }
  void setFormFactor(int formFactor);

  zefr::ConfigurationDocument& document() { return *m_doc; }
  zefr::ParameterSchema& schema() { return m_schema; }
  CParamTree* tree() const { return m_tree; }
  CTreeRows& rows() { return m_rows; }
  zefr::WorkingPaths& paths() { return m_paths; }
  QRadioButton* formFactorButton(int index) const { return m_formFactorButtons[index]; }
  QAction* command(int id) const;
  // Generate Configuration Payload and Send Configuration to Firmware.
  CPayloadCommands& payloadCommands() { return *m_payload; }

  // Copies a resource of the program ("INIFILE", 144) into a file; a missing
  // resource or a file that cannot be made is skipped.
  static void ExtractResource(const QString& type, int id, const QString& path);

 protected:
  void closeEvent(QCloseEvent* e) override;
  // Escape and every other way of ending the dialog ask as closing does.
  void reject() override { close(); }
  void keyPressEvent(QKeyEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;

 private:
  void buildMenu();
  void buildShortcuts();
  void fillStrings();
  void layoutTree();
  // Loads a file into the document, telling the user about a file that holds
  // no configuration or cannot be read.
  void loadFile(const QString& path, bool missing);
  // Asks whether to save in spite of errors; false when the user cancels.
  bool confirmSaveWithErrors();
  bool writeTo(const QString& path, zefr::WriteMode mode);
  void repaintTree();
  // Ends an open row editor with a commit, before a command replaces or drops the values.
  void commitEditing();

  EditorPrompts* m_prompts;
  std::unique_ptr<EditorPrompts> m_ownPrompts;
  QPushButton* m_openButton = nullptr;
  QPushButton* m_closeButton = nullptr;
  QRadioButton* m_formFactorButtons[3] = {};
  int m_formFactor = -1;
  zefr::WorkingPaths m_paths;
  int m_modeless = 0;

  zefr::ParameterSchema m_schema;
  CTreeRows m_rows;
  std::unique_ptr<zefr::ConfigurationDocument> m_doc;
  CParamTree* m_tree = nullptr;
  std::map<int, QAction*> m_commands;
  // What Generate and Send need of this window.
  class PayloadHost;
  std::unique_ptr<PayloadCommandHost> m_payloadHost;
  std::unique_ptr<CPayloadCommands> m_payload;
};
