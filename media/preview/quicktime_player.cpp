#include "media/preview/quicktime_player.h"

#include <algorithm>

#include "core/strings/cf_string.h"
#include "platform/windows/events.h"
#include "platform/windows/nib.h"
#include "platform/windows/windows.h"

namespace {

constexpr tbx::UInt32 kWindowClass = tbx::FourCC("wind");
constexpr tbx::UInt32 kUpdate = 1, kBoundsChanged = 27, kClose = 72;

} // namespace

CBK_QuicktimePlayer::~CBK_QuicktimePlayer() {
    Close();
    if (m_bOwnsWindow && m_hWnd && tbx::IsValidWindowPtr(m_hWnd))
        tbx::DisposeWindow(m_hWnd);
}

bool CBK_QuicktimePlayer::Create(tbx::WindowRef window) {
    m_hWnd = m_hParent = window;
    return window != nullptr;
}

bool CBK_QuicktimePlayer::Create(const wchar_t* windowName, tbx::WindowRef parent) {
    m_hParent = parent;
    tbx::IBNibRef nib = nullptr;
    CBK_CFString main(L"main"), name(windowName ? windowName : L"");
    if (tbx::CreateNibReference(main.Get(), &nib) != tbx::noErr)
        return false;
    tbx::WindowRef window = nullptr;
    const tbx::OSStatus status = tbx::CreateWindowFromNib(nib, name.Get(), &window);
    tbx::DisposeNibReference(nib);
    if (status != tbx::noErr || !window)
        return false;
    m_hWnd = window;
    m_bOwnsWindow = true;
    static const tbx::EventTypeSpec kinds[] = {{kWindowClass, kClose},
                                               {kWindowClass, kUpdate},
                                               {kWindowClass, kBoundsChanged},
                                               {tbx::FourCC("mous"), 1}};
    return tbx::InstallEventHandler(tbx::GetWindowEventTarget(window), _OnEvent, 4, kinds, this,
                                    &m_Handler) == tbx::noErr;
}

tbx::GrafPtr CBK_QuicktimePlayer::GetPortFromWindowReference(tbx::WindowRef window) {
    return window ? tbx::GetWindowPort(window) : nullptr;
}

bool CBK_QuicktimePlayer::Open(CBK_Path& path) {
    return Open(path, GetPortFromWindowReference(m_hWnd));
}

bool CBK_QuicktimePlayer::Open(CBK_Path& path, tbx::GrafPtr) {
    if (!m_Movie.Open(path))
        return false;
    int32_t width = 0, height = 0;
    m_Movie.GetSize(width, height);
    m_Box = tbx::Rect{0, 0, int16_t(height), int16_t(width)};
    SizeWindowToMovie();
    if (m_hWnd)
        tbx::ShowWindow(m_hWnd);
    OnPaint();
    if (m_Timer)
        tbx::RemoveEventLoopTimer(m_Timer);
    m_Timer = nullptr;
    tbx::InstallEventLoopTimer(tbx::GetMainEventLoop(), 0, 1.0 / 24, _OnTimer, this, &m_Timer);
    return true;
}

bool CBK_QuicktimePlayer::Play() {
    return m_Movie.Play(false);
}

void CBK_QuicktimePlayer::SetSize(uint32_t width, uint32_t height) {
    m_Box.right = int16_t(std::min<uint32_t>(width, 32767));
    m_Box.bottom = int16_t(std::min<uint32_t>(height, 32767));
    OnPaint();
}

bool CBK_QuicktimePlayer::SizeWindowToMovie() {
    tbx::Rect box = m_Box;
    // A sound-only movie has no width.
    if (box.right == box.left)
        box.right = box.left = 0;
    if (m_hWnd)
        tbx::SizeWindow(m_hWnd, int16_t(box.right - box.left), int16_t(box.bottom - box.top), true);
    return true;
}

bool CBK_QuicktimePlayer::OnPaint() {
    if (!m_Movie.IsOpen())
        return false;
    if (m_hWnd && m_Movie.HasVideo())
        m_Movie.DrawToWindow(m_hWnd, &m_Box);
    return true;
}

bool CBK_QuicktimePlayer::OnClose() {
    Close();
    return false;
}

bool CBK_QuicktimePlayer::OnSize(int32_t width, int32_t height) {
    m_Box = tbx::Rect{0, 0, int16_t(std::clamp(height, 0, 32767)),
                      int16_t(std::clamp(width, 0, 32767))};
    return false;
}

void CBK_QuicktimePlayer::OnTimer() {
    OnPaint();
}

bool CBK_QuicktimePlayer::Close() {
    m_Movie.Close();
    if (m_Timer)
        tbx::RemoveEventLoopTimer(m_Timer);
    m_Timer = nullptr;
    if (m_Handler)
        tbx::RemoveEventHandler(m_Handler);
    m_Handler = nullptr;
    return true;
}

void CBK_QuicktimePlayer::_OnTimer(tbx::EventLoopTimerRef, void* data) {
    static_cast<CBK_QuicktimePlayer*>(data)->OnTimer();
}

tbx::OSStatus CBK_QuicktimePlayer::_OnEvent(tbx::EventHandlerCallRef, tbx::EventRef event,
                                            void* data) {
    auto* player = static_cast<CBK_QuicktimePlayer*>(data);
    if (tbx::GetEventClass(event) != kWindowClass)
        return tbx::eventNotHandledErr;
    switch (tbx::GetEventKind(event)) {
    case kBoundsChanged: {
        tbx::Rect bounds{};
        const tbx::Rect& box = player->m_Box;
        if (tbx::GetWindowBounds(player->m_hWnd, tbx::kWindowContentRgn, &bounds) == tbx::noErr &&
            (bounds.right - bounds.left != box.right - box.left ||
             bounds.bottom - bounds.top != box.bottom - box.top))
            player->OnSize(bounds.right - bounds.left, bounds.bottom - bounds.top);
        return tbx::eventNotHandledErr;
    }
    case kClose: // the movie goes before the window does
        player->Close();
        return tbx::eventNotHandledErr;
    case kUpdate:
        player->OnPaint();
        return tbx::noErr;
    default:
        return tbx::eventNotHandledErr;
    }
}
