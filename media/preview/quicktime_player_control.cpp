#include "media/preview/quicktime_player_control.h"

#include <algorithm>

#include "media/preview/preview_box.h"
#include "platform/movie/controller_bar.h"
#include "platform/windows/controls.h"
#include "platform/windows/events.h"
#include "platform/windows/windows.h"

namespace {

constexpr double kTimerInterval = 0.001;
constexpr tbx::UInt32 kEventWindowShown = 24;

// Removes a timer, if any, and installs it again: first at once, then every millisecond.
bool RestartTimer(tbx::EventLoopTimerRef& timer, tbx::EventLoopTimerUPP proc, void* data) {
    if (timer)
        tbx::RemoveEventLoopTimer(timer);
    timer = nullptr;
    return tbx::InstallEventLoopTimer(tbx::GetMainEventLoop(), 0, kTimerInterval, proc, data,
                                      &timer) == tbx::noErr;
}

void RemoveTimer(tbx::EventLoopTimerRef& timer) {
    if (timer)
        tbx::RemoveEventLoopTimer(timer);
    timer = nullptr;
}

} // namespace

CBK_ControlQuicktimePlayer::~CBK_ControlQuicktimePlayer() {
    Destroy();
}

bool CBK_ControlQuicktimePlayer::Destroy() {
    if (m_hWindowHandler)
        tbx::RemoveEventHandler(m_hWindowHandler);
    m_hWindowHandler = nullptr;
    _CloseMovie();
    return CBK_ControlQuicktimeImage::Destroy();
}

bool CBK_ControlQuicktimePlayer::OnInit() {
    if (!CBK_ControlQuicktimeImage::OnInit())
        return false;
    static const tbx::EventTypeSpec kinds[] = {{tbx::kEventClassWindow, tbx::kEventWindowUpdate},
                                               {tbx::kEventClassWindow, tbx::kEventWindowActivated},
                                               {tbx::kEventClassWindow, kEventWindowShown},
                                               {tbx::kEventClassMouse, tbx::kEventMouseDown}};
    return m_hWindowHandler || tbx::InstallEventHandler(
                                   tbx::GetWindowEventTarget(tbx::GetControlOwner(m_hControl)),
                                   _OnWindowEvent, 4, kinds, this, &m_hWindowHandler) == tbx::noErr;
}

void CBK_ControlQuicktimePlayer::_CloseMovie() {
    RemoveTimer(m_Timer);
    if (m_hController)
        tbx::DisposeMovieController(m_hController);
    m_hController = nullptr;
    m_Movie.Close();
    m_hMovie = nullptr;
}

bool CBK_ControlQuicktimePlayer::SetMovie(CBK_Path& path, bool play) {
    _CloseMovie();
    tbx::Rect control{};
    if (!GetBounds(control) || !m_Movie.Open(path))
        return false;
    m_hMovie = m_Movie.GetMovie();
    int32_t width = 0, height = 0;
    m_Movie.GetSize(width, height);
    const int32_t cw = control.right - control.left, ch = control.bottom - control.top;
    // At the control's top-left, no larger than the control; with fit, scaled and centred.
    m_Box = tbx::Rect{control.top, control.left, int16_t(control.top + std::min(height, ch)),
                      int16_t(control.left + std::min(width, cw))};
    m_hController = tbx::NewMovieController(m_hMovie, &m_Box, tbx::mcTopLeftMovie);
    if (!m_hController) {
        _CloseMovie();
        return false;
    }
    tbx::MCSetControllerWindow(m_hController, tbx::GetControlOwner(m_hControl));
    if (m_bFit) {
        const tbx::Rect fitted = BK_FitPictureBox(width, height, cw, ch, true);
        if (fitted.right > fitted.left) {
            m_Box = tbx::Rect{
                int16_t(control.top + fitted.top), int16_t(control.left + fitted.left),
                int16_t(control.top + fitted.bottom), int16_t(control.left + fitted.right)};
            tbx::Rect bounds = m_Box;
            bounds.bottom = int16_t(bounds.bottom + tbx::kControllerBarHeight);
            tbx::MCSetControllerBoundsRect(m_hController, &bounds);
        }
    }
    tbx::SInt32 flags = 0;
    tbx::MCDoAction(m_hController, tbx::mcActionGetFlags, &flags);
    tbx::MCDoAction(m_hController, tbx::mcActionSetFlags,
                    reinterpret_cast<void*>(intptr_t(flags | tbx::mcFlagsUseWindowPalette)));
    tbx::MCDoAction(m_hController, tbx::mcActionSetKeysEnabled, reinterpret_cast<void*>(1));
    tbx::MCSetVisible(m_hController, true);
    OnTimer();
    OnDraw();
    // The controller idles from the start, so that its own play button plays too.
    if (play)
        return Play();
    return RestartTimer(m_Timer, _OnTimer, this);
}

bool CBK_ControlQuicktimePlayer::Play() {
    if (!m_hController)
        return false;
    tbx::MCDoAction(m_hController, tbx::mcActionPlay,
                    reinterpret_cast<void*>(intptr_t(tbx::GetMoviePreferredRate(m_hMovie))));
    return RestartTimer(m_Timer, _OnTimer, this);
}

void CBK_ControlQuicktimePlayer::OnTimer() {
    tbx::EventRecord idle;
    ProcessQuicktimeEvent(idle);
}

bool CBK_ControlQuicktimePlayer::OnDraw() {
    return m_hController && tbx::MCDraw(m_hController, m_hWnd) == tbx::noErr;
}

bool CBK_ControlQuicktimePlayer::ProcessQuicktimeEvent(tbx::EventRecord& event) {
    return BK_QuicktimeControllerEvent(m_hController, event);
}

bool CBK_ControlQuicktimePlayer::ProcessQuicktimeEvent(tbx::EventRef& event) {
    return BK_QuicktimeControllerEvent(m_hController, event);
}

tbx::OSStatus CBK_ControlQuicktimePlayer::_OnWindowEvent(tbx::EventHandlerCallRef,
                                                         tbx::EventRef event, void* data) {
    auto* player = static_cast<CBK_ControlQuicktimePlayer*>(data);
    player->ProcessQuicktimeEvent(event);
    if (tbx::GetEventClass(event) == tbx::kEventClassWindow &&
        tbx::GetEventKind(event) == tbx::kEventWindowUpdate)
        player->OnDraw();
    return tbx::eventNotHandledErr;
}

void CBK_ControlQuicktimePlayer::_OnTimer(tbx::EventLoopTimerRef, void* data) {
    static_cast<CBK_ControlQuicktimePlayer*>(data)->OnTimer();
}

CBK_ControlQuicktimeSound::~CBK_ControlQuicktimeSound() {
    Destroy();
}

bool CBK_ControlQuicktimeSound::Destroy() {
    RemoveTimer(m_Timer);
    m_Player.Close();
    return CBK_ControlQuicktimeImage::Destroy();
}

bool CBK_ControlQuicktimeSound::SetSound(CBK_Path& path) {
    m_Player.Close();
    return m_Player.Open(path) && Play();
}

bool CBK_ControlQuicktimeSound::Play() {
    return m_Player.Play() && RestartTimer(m_Timer, _OnTimer, this);
}

void CBK_ControlQuicktimeSound::OnTimer() {
    tbx::EventRecord idle;
    m_Player.ProcessQuicktimeEvent(idle);
}

void CBK_ControlQuicktimeSound::_OnTimer(tbx::EventLoopTimerRef, void* data) {
    static_cast<CBK_ControlQuicktimeSound*>(data)->OnTimer();
}
