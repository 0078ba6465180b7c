// CBK_Url: one HTTP request into a memory buffer (GET or POST, synchronously, or POST
// asynchronously with the reply delivered by the main event loop), and opening a URL in the
// user's browser.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tbx {
class HttpTransfer;
}

class CBK_Url {
public:
    enum REQUEST_METHOD : int32_t {
        METHOD_GET = 0,
        METHOD_POST = 1,
    };
    struct REQUEST_HEADER {
        std::string name;
        std::string value;
    };

    CBK_Url(const wchar_t* url, REQUEST_METHOD method);
    CBK_Url(int32_t urlStringId, REQUEST_METHOD method);
    CBK_Url(const CBK_Url&) = delete;
    CBK_Url& operator=(const CBK_Url&) = delete;
    // Cancels an asynchronous request that has not ended.
    ~CBK_Url();

    // Null empties the URL; an id whose text is missing leaves it unchanged.
    void SetUrl(const wchar_t* url);
    void SetUrl(int32_t urlStringId);
    // Appended as given; duplicates are kept.
    void SetRequestHeader(const wchar_t* name, const wchar_t* value);
    void SetRequestBody(const unsigned char* data, int32_t n);
    const unsigned char* GetRequestBody(int32_t* n) const;
    // A prepared request: header lines up to the first zero byte ("Name: value", separated
    // by LF or CR), the body after it. Without a zero byte all n bytes are header lines.
    void SetPostData(const unsigned char* data, int32_t n);

    bool Download(bool synchronous);
    // True when a reply with a 2xx status came; its body is then the data. Both methods
    // are bounded by time-outs and a cap on the reply's size.
    bool DownloadSynchronous();
    // POST only. Starts the request and returns false; the reply's body (2xx only) lands in
    // the data once, when the main event loop sees the request end.
    bool DownloadAsynchronous();
    const unsigned char* GetData() const { return m_Data.data(); }
    int32_t GetDataSize() const { return int32_t(m_Data.size()); }

    // In place: "+" becomes a blank, then "%" and two hexadecimal digits the character of
    // that byte (0x00-0xFF); a "%" without two digits is dropped.
    static wchar_t* DecodeUrl(wchar_t* text, bool);
    static wchar_t* EncodeUrl(const wchar_t*) { return nullptr; }

    // Opens the URL in the user's browser (xdg-open); false when it cannot be started or
    // its scheme is not http, https or mailto.
    bool Launch();
    // Frees the headers, the data and the body, and cancels a running request.
    void Reset();

private:
    bool DownloadGet();
    bool DownloadPost();

    std::string m_Url;
    std::vector<unsigned char> m_Data;
    std::vector<unsigned char> m_Body;
    REQUEST_METHOD m_Method;
    std::vector<REQUEST_HEADER> m_Headers;
    std::unique_ptr<tbx::HttpTransfer> m_Transfer;
};

// Whether the URL gives at least one byte (the bytes are discarded).
bool GetUrl(const wchar_t* url);
