#include "core/console.h"

#include "channels/filter_panel.h"
#include "channels/playback_channels.h"
#include "core/main_window.h"
#include "stage/live_video_page.h"
#include "stage/output_window.h"
#include "stage/stage_editor.h"
#include "ui/action_dialog.h"
#include "ui/action_pad.h"
#include "ui/connection_dialog.h"
#include "ui/control_mapper.h"
#include "ui/text_prompt.h"

Console::Console(SettingsFiles settings, PlatformServices services)
    : m_main(std::make_unique<MainWindow>(std::move(settings), std::move(services)))
{
}

Console::~Console()
{
    // The players and the live inputs draw on the output windows: they stop before the
    // windows go.
    m_main->channels().detachPlayers();
    m_main->liveVideo().detachOutputs();
}

bool Console::start()
{
    if (!m_main->FormCreate())
        return false;
    auto editor =
        std::make_unique<StageEditor>(m_main->currentStage, m_main->settings(),
                                      m_main->displayScreens(), m_main->stageEditorHost());
    StageEditor* layersetup = editor.get();
    m_windows.push_back(std::move(editor));
    auto filters = std::make_unique<FilterPanel>(m_main->channels());
    FilterPanel* filtri = filters.get();
    m_windows.push_back(std::move(filters));
    auto prompt = std::make_unique<TextPrompt>(m_main.get());
    TextPrompt* nuovoTesto = prompt.get();
    m_windows.push_back(std::move(prompt));
    auto connectionDialog = std::make_unique<ConnectionDialog>(m_main.get());
    ConnectionDialog* addConnection = connectionDialog.get();
    m_windows.push_back(std::move(connectionDialog));
    auto pad = std::make_unique<ActionPad>(m_main->database().dbAzioni);
    ActionPad* fAzioni = pad.get();
    m_windows.push_back(std::move(pad));
    auto actionDialog = std::make_unique<ActionDialog>(m_main.get());
    ActionDialog* addAction = actionDialog.get();
    m_windows.push_back(std::move(actionDialog));
    OutputWindow* outputs[3];
    const OutputWindow::Role roles[3] = {OutputWindow::Role::Background, OutputWindow::Role::LayerA,
                                         OutputWindow::Role::LayerB};
    for (int i = 0; i < 3; ++i) {
        auto window = std::make_unique<OutputWindow>(roles[i]);
        outputs[i] = window.get();
        m_windows.push_back(std::move(window));
    }
    ShowDatabase& database = m_main->database();
    ControlMapper* mappers[2];
    const ControlMapKind kinds[2] = {ControlMapKind::Midi, ControlMapKind::Dmx};
    for (int i = 0; i < 2; ++i) {
        auto mapper = std::make_unique<ControlMapper>(
            kinds[i], kinds[i] == ControlMapKind::Midi ? database.rMIDI : database.rDMX,
            m_main->controlMap(kinds[i]),
            [main = m_main.get()](const QString& text) { main->showError(text); });
        mappers[i] = mapper.get();
        m_windows.push_back(std::move(mapper));
    }
    m_main->FormShow({filtri, layersetup, fAzioni, addAction, addConnection, nuovoTesto, mappers[0],
                      mappers[1], outputs[0], outputs[1], outputs[2]});
    return true;
}

QWidget* Console::window(const QString& name) const
{
    if (name == m_main->objectName())
        return m_main.get();
    for (const auto& created : m_windows)
        if (created->objectName() == name)
            return created.get();
    return nullptr;
}
