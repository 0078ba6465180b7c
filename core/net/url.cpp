#include "core/net/url.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <cwchar>

#include "core/strings/string.h"
#include "core/strings/string_functions.h"
#include "platform/files/launch.h"
#include "platform/net/http.h"
#include "platform/text_encoding.h"

namespace {

bool IsSuccess(long status) {
    return status >= 200 && status <= 299;
}

tbx::HttpRequest PostRequest(const std::string& url,
                             const std::vector<CBK_Url::REQUEST_HEADER>& headers,
                             const std::vector<unsigned char>& body) {
    tbx::HttpRequest request;
    request.url = url;
    request.post = true;
    for (const CBK_Url::REQUEST_HEADER& header : headers)
        request.headers.emplace_back(header.name, header.value);
    request.body.assign(body.begin(), body.end());
    return request;
}

void AddHeaderLine(std::vector<CBK_Url::REQUEST_HEADER>& headers, const std::string& line) {
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos)
        return;
    std::size_t value = colon + 1;
    if (value < line.size() && line[value] == ' ')
        ++value;
    headers.push_back({line.substr(0, colon), line.substr(value)});
}

} // namespace

CBK_Url::CBK_Url(const wchar_t* url, REQUEST_METHOD method) : m_Method(method) {
    SetUrl(url);
}

CBK_Url::CBK_Url(int32_t urlStringId, REQUEST_METHOD method) : m_Method(method) {
    SetUrl(urlStringId);
}

CBK_Url::~CBK_Url() {
    Reset();
}

void CBK_Url::SetUrl(const wchar_t* url) {
    // URLs travel as UTF-8 (to libcurl and to the browser), never in the 8-bit locale.
    m_Url = url ? tbx::text::Utf32ToUtf8Escaped(
                      std::u32string_view(reinterpret_cast<const char32_t*>(url), std::wcslen(url)))
                : std::string();
}

void CBK_Url::SetUrl(int32_t urlStringId) {
    wchar_t text[1024] = {};
    if (BK_LoadString(urlStringId, text, 1024))
        SetUrl(text);
}

void CBK_Url::SetRequestHeader(const wchar_t* name, const wchar_t* value) {
    m_Headers.push_back(
        {BK_StringWideToAnsi(name ? name : L""), BK_StringWideToAnsi(value ? value : L"")});
}

void CBK_Url::SetRequestBody(const unsigned char* data, int32_t n) {
    m_Body.assign(data, data && n > 0 ? data + n : data);
}

const unsigned char* CBK_Url::GetRequestBody(int32_t* n) const {
    if (n)
        *n = int32_t(m_Body.size());
    return m_Body.data();
}

void CBK_Url::SetPostData(const unsigned char* data, int32_t n) {
    if (!data || n <= 0)
        return;
    const unsigned char* end = data + n;
    const unsigned char* zero = std::find(data, end, 0);
    std::string line;
    for (const unsigned char* p = data; p != zero; ++p) {
        if (*p == '\n' || *p == '\r') {
            AddHeaderLine(m_Headers, line);
            line.clear();
        } else {
            line += char(*p);
        }
    }
    AddHeaderLine(m_Headers, line);
    if (zero != end)
        SetRequestBody(zero + 1, int32_t(end - zero - 1));
    else
        m_Body.clear();
}

bool CBK_Url::Download(bool synchronous) {
    return synchronous ? DownloadSynchronous() : DownloadAsynchronous();
}

bool CBK_Url::DownloadSynchronous() {
    switch (m_Method) {
    case METHOD_GET:
        return DownloadGet();
    case METHOD_POST:
        return DownloadPost();
    }
    return false;
}

bool CBK_Url::DownloadGet() {
    m_Data.clear();
    tbx::HttpRequest request;
    request.url = m_Url;
    tbx::HttpReply reply;
    if (tbx::HttpPerform(request, reply) != tbx::noErr || !IsSuccess(reply.status))
        return false;
    m_Data.assign(reply.body.begin(), reply.body.end());
    return true;
}

bool CBK_Url::DownloadPost() {
    const tbx::HttpRequest request = PostRequest(m_Url, m_Headers, m_Body);
    tbx::HttpReply reply;
    if (tbx::HttpPerform(request, reply) != tbx::noErr || !IsSuccess(reply.status) ||
        reply.body.empty())
        return false;
    m_Data.assign(reply.body.begin(), reply.body.end());
    return true;
}

bool CBK_Url::DownloadAsynchronous() {
    if (m_Method != METHOD_POST)
        return false;
    m_Transfer.reset();
    m_Data.clear();
    const tbx::HttpRequest request = PostRequest(m_Url, m_Headers, m_Body);
    m_Transfer = tbx::HttpTransfer::Start(
        request, [this](tbx::OSStatus status, const tbx::HttpReply& reply) {
            if (status == tbx::noErr && IsSuccess(reply.status))
                m_Data.assign(reply.body.begin(), reply.body.end());
        });
    return false;
}

wchar_t* CBK_Url::DecodeUrl(wchar_t* text, bool) {
    if (!text)
        return nullptr;
    for (wchar_t* p = text; *p; ++p) {
        if (*p == L'+')
            *p = L' ';
    }
    wchar_t* out = text;
    for (const wchar_t* p = text; *p;) {
        if (*p != L'%') {
            *out++ = *p++;
            continue;
        }
        const int high = BK_HexDigitValue(p[1]);
        const int low = high < 0 ? -1 : BK_HexDigitValue(p[2]);
        if (low < 0) {
            ++p; // a lone "%" is dropped
            continue;
        }
        *out++ = wchar_t(high * 16 + low);
        p += 3;
    }
    *out = 0;
    return text;
}

bool CBK_Url::Launch() {
    // Only web and mail addresses: any other scheme would have the desktop open local files
    // or programs, and a leading "-" would be taken for an option of xdg-open.
    const std::size_t colon = m_Url.find(':');
    std::string scheme = m_Url.substr(0, colon == std::string::npos ? 0 : colon);
    for (char& c : scheme)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    if (scheme != "http" && scheme != "https" && scheme != "mailto")
        return false;
    return tbx::LaunchProgram({"xdg-open", m_Url}, nullptr) == tbx::noErr;
}

void CBK_Url::Reset() {
    m_Transfer.reset();
    m_Headers.clear();
    m_Data.clear();
    m_Data.shrink_to_fit();
    m_Body.clear();
    m_Body.shrink_to_fit();
}

bool GetUrl(const wchar_t* url) {
    CBK_Url request(url, CBK_Url::METHOD_GET);
    return request.DownloadSynchronous() && request.GetDataSize() > 0;
}
