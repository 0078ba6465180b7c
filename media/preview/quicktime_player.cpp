#include "media/preview/quicktime_player.h"

#include <algorithm>

#include "core/strings/cf_string.h"
#include "platform/windows/events.h"
#include "platform/windows/nib.h"
#include "platform/windows/windows.h"

namespace {

constexpr tbx::UInt32 kUpdate = 1, kBoundsChanged = 27, kClose = 72;

int16_t Coordinate(int64_t value) {
    return int16_t(std::clamp<int64_t>(value, -32768, 32767));
}

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
    static const tbx::EventTypeSpec kinds[] = {{tbx::kEventClassWindow, kClose},
                                               {tbx::kEventClassWindow, kUpdate},
                                               {tbx::kEventClassWindow, kBoundsChanged},
                                               {tbx::kEventClassMouse, tbx::kEventMouseDown}};
    return tbx::InstallEventHandler(tbx::GetWindowEventTarget(window), BK_QuicktimeWndProc, 4,
                                    kinds, this, &m_Handler) == tbx::noErr;
}

tbx::GrafPtr CBK_QuicktimePlayer::GetPortFromWindowReference(tbx::WindowRef window) {
    return window ? tbx::GetWindowPort(window) : nullptr;
}

bool CBK_QuicktimePlayer::Open(CBK_Path& path) {
    return Open(path, GetPortFromWindowReference(m_hWnd));
}

bool CBK_QuicktimePlayer::Open(CBK_Path& path, tbx::GrafPtr port) {
    _CloseMovie();
    if (!m_Movie.Open(path))
        return false;
    m_hMovie = m_Movie.GetMovie();
    int32_t width = 0, height = 0;
    m_Movie.GetSize(width, height);
    const tbx::Rect box{0, 0, Coordinate(height), Coordinate(width)};
    m_hController = tbx::NewMovieController(m_hMovie, &box, tbx::mcTopLeftMovie);
    if (!m_hController) {
        _CloseMovie();
        return false;
    }
    // The window's own port stands for the window, whose port comes and goes with its area.
    if (m_hWnd && port == GetPortFromWindowReference(m_hWnd))
        tbx::MCSetControllerWindow(m_hController, m_hWnd);
    else
        tbx::MCSetControllerPort(m_hController, port);
    tbx::MCSetActionFilterWithRefCon(m_hController, MCFilter, 0);
    tbx::MCEnableEditing(m_hController, true);
    tbx::SInt32 flags = 0;
    tbx::MCDoAction(m_hController, tbx::mcActionGetFlags, &flags);
    tbx::MCDoAction(m_hController, tbx::mcActionSetFlags,
                    reinterpret_cast<void*>(intptr_t(flags | tbx::mcFlagsUseWindowPalette)));
    tbx::MCDoAction(m_hController, tbx::mcActionSetKeysEnabled, reinterpret_cast<void*>(1));
    tbx::MCSetVisible(m_hController, true);
    SizeWindowToMovie();
    if (m_hWnd)
        tbx::ShowWindow(m_hWnd);
    OnPaint();
    tbx::InstallEventLoopTimer(tbx::GetMainEventLoop(), 0, 1.0 / 24, BK_QuicktimeTimerCallback,
                               this, &m_Timer);
    return true;
}

bool CBK_QuicktimePlayer::Play() {
    return tbx::MCDoAction(m_hController, tbx::mcActionPlay,
                           reinterpret_cast<void*>(
                               intptr_t(tbx::GetMoviePreferredRate(m_hMovie)))) == tbx::noErr;
}

void CBK_QuicktimePlayer::SetSize(uint32_t width, uint32_t height) {
    tbx::Rect bounds{};
    if (tbx::MCGetControllerBoundsRect(m_hController, &bounds) != tbx::noErr)
        return;
    bounds.right = Coordinate(width);
    bounds.bottom = Coordinate(height);
    tbx::MCSetControllerBoundsRect(m_hController, &bounds);
    OnPaint();
}

bool CBK_QuicktimePlayer::SizeWindowToMovie() {
    tbx::Rect rect = m_Movie.GetBox();
    if (tbx::MCGetVisible(m_hController) > 0)
        tbx::MCGetControllerBoundsRect(m_hController, &rect);
    // A sound-only movie has no width.
    if (rect.right == rect.left)
        rect.right = rect.left = 0;
    if (m_hWnd)
        tbx::SizeWindow(m_hWnd, Coordinate(rect.right - rect.left),
                        Coordinate(rect.bottom - rect.top), true);
    return true;
}

bool CBK_QuicktimePlayer::OnPaint() {
    if (!m_Movie.IsOpen())
        return false;
    tbx::MCDraw(m_hController, m_hWnd);
    return true;
}

bool CBK_QuicktimePlayer::OnClose() {
    Close();
    return false;
}

bool CBK_QuicktimePlayer::OnSize(int32_t width, int32_t height) {
    tbx::Rect bounds{};
    if (tbx::MCGetVisible(m_hController) > 0 &&
        tbx::MCGetControllerBoundsRect(m_hController, &bounds) == tbx::noErr) {
        bounds.right = Coordinate(int64_t(bounds.left) + width);
        bounds.bottom = Coordinate(int64_t(bounds.top) + height);
    } else {
        bounds = tbx::Rect{0, 0, Coordinate(height), Coordinate(width)};
        m_Movie.SetSize(width, height);
    }
    tbx::MCSetControllerBoundsRect(m_hController, &bounds);
    return false;
}

void CBK_QuicktimePlayer::OnTimer() {
    tbx::EventRef event = nullptr;
    if (tbx::CreateEvent(nullptr, tbx::kEventClassMouse, tbx::kEventMouseMoved,
                         tbx::GetCurrentEventTime(), 0, &event) != tbx::noErr)
        return;
    ProcessQuicktimeEvent(event);
    tbx::ReleaseEvent(event);
}

bool CBK_QuicktimePlayer::ProcessQuicktimeEvent(tbx::EventRef& event) {
    return BK_QuicktimeControllerEvent(m_hController, event);
}

bool CBK_QuicktimePlayer::ProcessQuicktimeEvent(tbx::EventRecord& event) {
    return BK_QuicktimeControllerEvent(m_hController, event);
}

bool BK_QuicktimeControllerEvent(tbx::MovieController controller, tbx::EventRecord& event) {
    return controller && tbx::MCIsPlayerEvent(controller, &event) > 0;
}

bool BK_QuicktimeControllerEvent(tbx::MovieController controller, tbx::EventRef event) {
    // An event without a classic form reaches the controller as a null event, which idles it.
    tbx::EventRecord record;
    tbx::ConvertEventRefToEventRecord(event, &record);
    return BK_QuicktimeControllerEvent(controller, record);
}

void CBK_QuicktimePlayer::_CloseMovie() {
    if (m_hController) {
        tbx::MCDoAction(m_hController, tbx::mcActionSuspend, nullptr);
        tbx::DisposeMovieController(m_hController);
    }
    m_hController = nullptr;
    m_Movie.Close();
    m_hMovie = nullptr;
    if (m_Timer)
        tbx::RemoveEventLoopTimer(m_Timer);
    m_Timer = nullptr;
}

bool CBK_QuicktimePlayer::Close() {
    _CloseMovie();
    if (m_Handler)
        tbx::RemoveEventHandler(m_Handler);
    m_Handler = nullptr;
    return true;
}

void BK_QuicktimeTimerCallback(tbx::EventLoopTimerRef, void* player) {
    static_cast<CBK_QuicktimePlayer*>(player)->OnTimer();
}

tbx::OSStatus BK_QuicktimeWndProc(tbx::EventHandlerCallRef, tbx::EventRef event, void* data) {
    auto* player = static_cast<CBK_QuicktimePlayer*>(data);
    player->ProcessQuicktimeEvent(event);
    if (tbx::GetEventClass(event) != tbx::kEventClassWindow)
        return tbx::eventNotHandledErr;
    switch (tbx::GetEventKind(event)) {
    case kBoundsChanged: {
        tbx::Rect before{}, after{};
        tbx::GetEventParameter(event, tbx::kEventParamPreviousBounds, tbx::typeQDRectangle, nullptr,
                               sizeof before, nullptr, &before);
        tbx::GetEventParameter(event, tbx::kEventParamCurrentBounds, tbx::typeQDRectangle, nullptr,
                               sizeof after, nullptr, &after);
        const int32_t width = after.right - after.left, height = after.bottom - after.top;
        if (width != before.right - before.left || height != before.bottom - before.top)
            player->OnSize(width, height);
        return tbx::eventNotHandledErr;
    }
    case kClose: // the controller and the movie go before the window does
        player->Close();
        return tbx::eventNotHandledErr;
    case kUpdate:
        if (player->m_hMovie)
            tbx::MCDraw(player->m_hController, player->m_hWnd);
        return tbx::noErr;
    default:
        return tbx::eventNotHandledErr;
    }
}

tbx::Boolean MCFilter(tbx::MovieController controller, tbx::MCAction action, void*, tbx::SInt32) {
    if (action == tbx::mcActionControllerSizeChanged) {
        tbx::Rect bounds{};
        tbx::MCGetControllerBoundsRect(controller, &bounds);
    }
    return false;
}

int32_t GetWindowWidth(tbx::WindowRef) {
    return 0;
}
