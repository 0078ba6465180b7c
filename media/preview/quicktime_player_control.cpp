#include "media/preview/quicktime_player_control.h"

#include <algorithm>

#include "media/preview/preview_box.h"
#include "platform/windows/events.h"

CBK_ControlQuicktimePlayer::~CBK_ControlQuicktimePlayer() {
    Destroy();
}

bool CBK_ControlQuicktimePlayer::Destroy() {
    if (m_Timer)
        tbx::RemoveEventLoopTimer(m_Timer);
    m_Timer = nullptr;
    m_Movie.Close();
    return CBK_ControlQuicktimeImage::Destroy();
}

bool CBK_ControlQuicktimePlayer::SetMovie(CBK_Path& path, bool play) {
    tbx::Rect control{};
    if (!m_Movie.Open(path) || !GetBounds(control))
        return false;
    int32_t width = 0, height = 0;
    m_Movie.GetSize(width, height);
    const int32_t cw = control.right - control.left, ch = control.bottom - control.top;
    // At the control's top-left, no larger than the control; with fit, scaled and centred.
    m_Box = tbx::Rect{control.top, control.left, int16_t(control.top + std::min(height, ch)),
                      int16_t(control.left + std::min(width, cw))};
    if (m_bFit) {
        const tbx::Rect fitted = BK_FitPictureBox(width, height, cw, ch, true);
        if (fitted.right > fitted.left)
            m_Box = tbx::Rect{
                int16_t(control.top + fitted.top), int16_t(control.left + fitted.left),
                int16_t(control.top + fitted.bottom), int16_t(control.left + fitted.right)};
    }
    OnTimer();
    return play ? Play() : true;
}

bool CBK_ControlQuicktimePlayer::Play() {
    if (m_Timer)
        tbx::RemoveEventLoopTimer(m_Timer);
    m_Timer = nullptr;
    m_Movie.Play(false);
    return tbx::InstallEventLoopTimer(tbx::GetMainEventLoop(), 0, 0.001, _OnTimer, this,
                                      &m_Timer) == tbx::noErr;
}

void CBK_ControlQuicktimePlayer::OnTimer() {
    if (m_Movie.IsOpen() && m_Movie.HasVideo() && m_Box.right > m_Box.left)
        m_Movie.DrawToWindow(m_hWnd, &m_Box);
}

void CBK_ControlQuicktimePlayer::_OnTimer(tbx::EventLoopTimerRef, void* data) {
    static_cast<CBK_ControlQuicktimePlayer*>(data)->OnTimer();
}

bool CBK_ControlQuicktimeSound::SetSound(CBK_Path& path) {
    m_Player.Close();
    return m_Player.Open(path) && m_Player.Play();
}
