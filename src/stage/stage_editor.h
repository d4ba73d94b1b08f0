#pragma once

#include "shared/settings_files.h"
#include "stage/display_screens.h"

#include <QDialog>
#include <functional>

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFrame;
class WorkspaceOutline;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QScrollBar;
class QSlider;
class QSpinBox;
class QTabWidget;
struct CurrentStage;

// "STAGE SETUP": shapes the current stage on a scaled drawing of it (the workspace, where the
// two layers are dragged and resized with the mouse) and on pages of numbers: stage size and
// offset with the desktop's screens, background, layers, masks and LED walls. Every change
// goes into the current stage at once; "APPLY" and "REAL TIME MODE" put it on the output
// windows, "SAVE STAGE" into its row, "EXPORT STAGE" / "IMPORT STAGE" into and out of a file.
class StageEditor : public QDialog {
    Q_OBJECT
public:
    struct Host {
        std::function<void()> apply; // the current stage onto the windows, as "STAGE ACTIVE" is
        std::function<bool()> stageActive;
        std::function<QString()> stageOnAir;
        // Writes the current stage into the row of this name; false when no row was written.
        std::function<bool(const QString& name)> save;
        std::function<void(const QString&)> showError;
        std::function<void(const QString&)> showInformation;
        std::function<bool(const QString&)> askYesNo;
        std::function<void(bool on)> levelMeters;
    };
    StageEditor(CurrentStage& stage, SettingsFiles settings, DisplayScreens& screens, Host host,
                QWidget* parent = nullptr);
    ~StageEditor() override;

    // Opens the editor on the current stage (already copied from the stage list) of this name.
    void edit(const QString& name, int screenDpi);

    // The file dialogs; tests answer them. Empty: cancelled.
    std::function<QString(bool save)> chooseStageFile;
    std::function<QString()> choosePicture;

    // "REDETECT": the screen list again, at the sizes the system reports.
    void redetect();

private:
    struct Layer; // the widgets of one layer (A or B)

    QWidget* buildWorkspace();
    QWidget* buildScreenPage();
    QWidget* buildLayerPage(int index);
    QWidget* buildLedPage();
    void listScreens(int dpi);

    // The workspace drawn again from the stage (hides the handles).
    void redraw();
    void placeLayer(int index);
    void placeHandles();
    void hideHandles();
    void selectPanel(int index);
    bool panelEvent(int index, QEvent* event);
    bool handleEvent(int handle, QEvent* event);
    // The layer's size from its panel's size on the drawing; nothing when the drawing has
    // no size.
    void sizeFromPanel(int index);
    void changed(); // in "REAL TIME MODE" the stage goes on the windows
    void onePlayer(bool on);
    void showBackground();
    void takePicture(const QString& path);
    void saveStage();
    void exportStage();
    void importStage();
    void monitorButton(const std::function<void(int width, int height)>& effect);
    void setMode();
    // A number field's value; the previous one when it is empty, a lone "-" or not a number.
    int fieldValue(QLineEdit* field, int previous) const;
    void showStageFields();
    // Every control from the current stage, then the workspace drawn again.
    void loadControls();
    void done(int result) override;

    bool eventFilter(QObject* watched, QEvent* event) override;

    CurrentStage& m_stage;
    SettingsFiles m_settings;
    DisplayScreens& m_screens;
    Host m_host;
    bool m_ready = false;
    int m_selected = -1; // the panel with the handles: 0 A, 1 B
    QPoint m_dragFrom;

    QLabel* m_name;
    QPushButton* m_realTime;
    QFrame* m_workspace;
    WorkspaceOutline* m_offset;
    WorkspaceOutline* m_outline;
    QLabel* m_picture;
    QFrame* m_handles[8];
    QScrollBar* m_deltaX;
    QScrollBar* m_deltaY;
    QSlider* m_zoom;
    QLabel* m_zoomText;
    QTabWidget* m_pages;
    // Screen page.
    QListWidget* m_screenList;
    QLineEdit* m_width;
    QLineEdit* m_height;
    QLineEdit* m_offsetX;
    QLineEdit* m_offsetY;
    QComboBox* m_backgroundColour;
    QCheckBox* m_restart;
    QCheckBox* m_onePlayer;
    QCheckBox* m_hiddenBackground;
    QCheckBox* m_isImage;
    QPushButton* m_setMode;
    // Led wall page.
    QComboBox* m_ledTypes;
    QSpinBox* m_tile[2];
    QSpinBox* m_wall[2];
    QPushButton* m_ledButtons[3]; // A, B, all
    std::unique_ptr<Layer> m_layers[2];
};
