#include "platform/windows/nib.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>

#include "platform/bundle.h"
#include "platform/handle_table.h"
#include "platform/text_encoding.h"
#include "platform/windows/controls.h"
#include "platform/windows/menus.h"
#include "platform/windows/windows.h"
#include "platform/windows/world.h"

namespace tbx {

namespace test {
std::string LastNibError();
}

namespace nib {
namespace {

constexpr int kMaxDepth = 32;
constexpr std::size_t kMaxElements = 100000;

std::string gLastError;

struct Reader {
    std::string error;
    std::size_t elements = 0;

    bool Fail(const xmlNode* node, const std::string& message) {
        if (error.empty())
            error = "line " + std::to_string(node ? xmlGetLineNo(node) : 0) + ": " + message;
        return false;
    }

    static bool Is(const xmlNode* node, const char* name) {
        return node->type == XML_ELEMENT_NODE && xmlStrcmp(node->name, BAD_CAST name) == 0;
    }

    static bool Has(const xmlNode* node, const char* name) {
        return xmlHasProp(node, BAD_CAST name) != nullptr;
    }

    static std::string Attr(const xmlNode* node, const char* name) {
        xmlChar* value = xmlGetProp(node, BAD_CAST name);
        std::string out = value ? reinterpret_cast<const char*>(value) : "";
        xmlFree(value);
        return out;
    }

    bool Number(const xmlNode* node, const char* name, long minimum, long maximum, long& out) {
        if (!Has(node, name))
            return true;
        const std::string text = Attr(node, name);
        errno = 0;
        char* end = nullptr;
        const long value = std::strtol(text.c_str(), &end, 10);
        if (text.empty() || *end || errno || value < minimum || value > maximum)
            return Fail(node, std::string("attribute ") + name + " is not a number in range");
        out = value;
        return true;
    }

    bool Flag(const xmlNode* node, const char* name, bool& out) {
        if (!Has(node, name))
            return true;
        const std::string text = Attr(node, name);
        if (text == "true")
            out = true;
        else if (text == "false")
            out = false;
        else
            return Fail(node, std::string("attribute ") + name + " is not true or false");
        return true;
    }

    bool Code(const xmlNode* node, const char* name, UInt32& out) {
        if (!Has(node, name))
            return true;
        std::u16string text;
        if (!text::Utf8ToUtf16(Attr(node, name), text) || text.size() != 4)
            return Fail(node, std::string("attribute ") + name + " is not four characters");
        UInt32 code = 0;
        for (char16_t c : text) {
            if (c < 0x20 || c > 0x7E)
                return Fail(node, std::string("attribute ") + name + " is not printable ASCII");
            code = (code << 8) | c;
        }
        out = code;
        return true;
    }

    // A title from the text attribute or, failing that, from a string id of the bundle.
    bool Title(const xmlNode* node, std::u16string& out) {
        if (Has(node, "title")) {
            if (!text::Utf8ToUtf16(Attr(node, "title"), out))
                return Fail(node, "title is not UTF-8");
            return true;
        }
        long id = 0;
        if (!Number(node, "titleId", INT32_MIN, INT32_MAX, id))
            return false;
        if (Has(node, "titleId")) {
            const std::string number = std::to_string(id);
            CFStringRef key = new CFString(std::u16string(number.begin(), number.end()));
            CFStringRef value =
                CFBundleCopyLocalizedString(CFBundleGetMainBundle(), key, nullptr, nullptr);
            out = value ? value->Text() : std::u16string();
            CFRelease(value);
            CFRelease(key);
        }
        return true;
    }

    bool Bounds(const xmlNode* node, Rect& out) {
        long left = 0, top = 0, width = -1, height = -1;
        for (const char* name : {"left", "top", "width", "height"})
            if (!Has(node, name))
                return Fail(node, std::string("attribute ") + name + " is missing");
        if (!Number(node, "left", -16000, 16000, left) ||
            !Number(node, "top", -16000, 16000, top) || !Number(node, "width", 0, 16000, width) ||
            !Number(node, "height", 0, 16000, height))
            return false;
        out = Rect{static_cast<SInt16>(top), static_cast<SInt16>(left),
                   static_cast<SInt16>(top + height), static_cast<SInt16>(left + width)};
        return true;
    }

    bool Count(const xmlNode* node, int depth) {
        if (++elements > kMaxElements)
            return Fail(node, "too many elements");
        if (depth > kMaxDepth)
            return Fail(node, "nested too deeply");
        return true;
    }

    bool Menu(const xmlNode* node, int depth, MenuDef& menu) {
        if (!Count(node, depth))
            return false;
        long id = 0;
        if (!Has(node, "id"))
            return Fail(node, "a menu needs an id");
        if (!Number(node, "id", SHRT_MIN, SHRT_MAX, id) || !Title(node, menu.title))
            return false;
        menu.id = static_cast<SInt16>(id);
        menu.name = Attr(node, "name");
        for (const xmlNode* child = node->children; child; child = child->next) {
            if (child->type != XML_ELEMENT_NODE)
                continue;
            ItemDef item;
            if (Is(child, "separator")) {
                if (!Count(child, depth + 1))
                    return false;
                item.separator = true;
            } else if (Is(child, "item")) {
                if (!Count(child, depth + 1) || !Title(child, item.title) ||
                    !Code(child, "command", item.command))
                    return false;
                long modifiers = 0;
                if (!Number(child, "modifiers", 0, 255, modifiers))
                    return false;
                item.modifiers = static_cast<UInt32>(modifiers);
                if (Has(child, "key")) {
                    std::u16string key;
                    if (!text::Utf8ToUtf16(Attr(child, "key"), key) || key.size() != 1)
                        return Fail(child, "a key is one character");
                    item.key = key[0];
                }
                for (const xmlNode* sub = child->children; sub; sub = sub->next) {
                    if (sub->type != XML_ELEMENT_NODE)
                        continue;
                    if (!Is(sub, "menu") || item.submenu)
                        return Fail(sub, "an item holds at most one menu");
                    item.submenu = std::make_unique<MenuDef>();
                    if (!Menu(sub, depth + 2, *item.submenu))
                        return false;
                }
            } else {
                return Fail(child, "unexpected element in a menu");
            }
            menu.items.push_back(std::move(item));
        }
        return true;
    }

    static bool KnownKind(const std::string& kind) {
        static const std::set<std::string> kKinds = {
            "push",     "bevel", "check", "radio", "text",  "edit",    "scrollbar", "slider",
            "progress", "pane",  "tabs",  "popup", "group", "browser", "separator"};
        return kKinds.count(kind) != 0;
    }

    bool Control(const xmlNode* node, int depth, ControlDef& control) {
        if (!Count(node, depth))
            return false;
        control.kind = Attr(node, "kind");
        if (!KnownKind(control.kind))
            return Fail(node, "unknown control kind '" + control.kind + "'");
        long number = 0, value = 0, minimum = 0, maximum = 0, view = 0, features = 0;
        if (!Code(node, "signature", control.id.signature) ||
            !Number(node, "number", INT32_MIN, INT32_MAX, number) ||
            !Code(node, "command", control.command) || !Bounds(node, control.bounds) ||
            !Title(node, control.title) || !Number(node, "value", INT32_MIN, INT32_MAX, value) ||
            !Number(node, "min", INT32_MIN, INT32_MAX, minimum) ||
            !Number(node, "max", INT32_MIN, INT32_MAX, maximum) ||
            !Number(node, "viewSize", INT32_MIN, INT32_MAX, view) ||
            !Number(node, "features", 0, UINT32_MAX >> 1, features) ||
            !Flag(node, "visible", control.visible) || !Flag(node, "enabled", control.enabled) ||
            !Flag(node, "active", control.active) || !Flag(node, "autoToggle", control.autoToggle))
            return false;
        control.id.id = static_cast<SInt32>(number);
        control.hasValue = Has(node, "value");
        control.hasMinimum = Has(node, "min");
        control.hasMaximum = Has(node, "max");
        control.value = static_cast<SInt32>(value);
        control.minimum = static_cast<SInt32>(minimum);
        control.maximum = static_cast<SInt32>(maximum);
        control.viewSize = static_cast<SInt32>(view);
        control.features = static_cast<UInt32>(features);
        for (const xmlNode* child = node->children; child; child = child->next) {
            if (child->type != XML_ELEMENT_NODE)
                continue;
            std::u16string title;
            if (Is(child, "control")) {
                control.children.emplace_back();
                if (!Control(child, depth + 1, control.children.back()))
                    return false;
            } else if (Is(child, "tab")) {
                if (!Count(child, depth + 1) || !Title(child, title))
                    return false;
                control.tabs.push_back(title);
            } else if (Is(child, "item")) {
                if (!Count(child, depth + 1) || !Title(child, title))
                    return false;
                control.items.push_back(title);
            } else {
                return Fail(child, "unexpected element in a control");
            }
        }
        return true;
    }

    bool CheckIds(const xmlNode* node, const std::vector<ControlDef>& controls,
                  std::set<std::pair<UInt32, SInt32>>& seen) {
        for (const ControlDef& control : controls) {
            if (control.id.signature || control.id.id) {
                if (!seen.insert({control.id.signature, control.id.id}).second)
                    return Fail(node, "two controls share the id " +
                                          std::to_string(control.id.signature) + "/" +
                                          std::to_string(control.id.id));
            }
            if (!CheckIds(node, control.children, seen))
                return false;
        }
        return true;
    }

    bool Window(const xmlNode* node, WindowDef& window) {
        if (!Count(node, 1))
            return false;
        window.name = Attr(node, "name");
        if (window.name.empty())
            return Fail(node, "a window needs a name");
        static const std::pair<const char*, WindowClass> kClasses[] = {
            {"document", kDocumentWindowClass},
            {"movable-modal", kMovableModalWindowClass},
            {"modal", kModalWindowClass},
            {"alert", kAlertWindowClass},
            {"movable-alert", kMovableAlertWindowClass},
            {"sheet", kSheetWindowClass},
            {"utility", kUtilityWindowClass},
            {"floating", kFloatingWindowClass},
            {"plain", kPlainWindowClass}};
        const std::string cls = Has(node, "class") ? Attr(node, "class") : "document";
        for (const auto& [name, value] : kClasses)
            if (cls == name)
                window.windowClass = value;
        if (!window.windowClass)
            return Fail(node, "unknown window class '" + cls + "'");
        bool closeBox = false, resizable = false, collapseBox = false, zoomBox = false;
        if (!Bounds(node, window.bounds) || !Title(node, window.title) ||
            !Flag(node, "closeBox", closeBox) || !Flag(node, "resizable", resizable) ||
            !Flag(node, "collapseBox", collapseBox) || !Flag(node, "zoomBox", zoomBox))
            return false;
        window.attributes = kWindowStandardHandlerAttribute |
                            (closeBox ? kWindowCloseBoxAttribute : 0) |
                            (resizable ? kWindowResizableAttribute : 0) |
                            (collapseBox ? kWindowCollapseBoxAttribute : 0) |
                            (zoomBox ? kWindowFullZoomAttribute : 0);
        for (const xmlNode* child = node->children; child; child = child->next) {
            if (child->type != XML_ELEMENT_NODE)
                continue;
            if (!Is(child, "control"))
                return Fail(child, "a window holds controls only");
            window.controls.emplace_back();
            if (!Control(child, 2, window.controls.back()))
                return false;
        }
        std::set<std::pair<UInt32, SInt32>> seen;
        return CheckIds(node, window.controls, seen);
    }

    bool CollectMenuIds(const xmlNode* node, const MenuDef& menu, std::set<SInt16>& ids) {
        if (!ids.insert(menu.id).second)
            return Fail(node, "two menus share the id " + std::to_string(menu.id));
        for (const ItemDef& item : menu.items)
            if (item.submenu && !CollectMenuIds(node, *item.submenu, ids))
                return false;
        return true;
    }

    bool Document(const xmlNode* root, nib::Document& out) {
        if (!root || !Is(root, "nib"))
            return Fail(root, "the root element is not nib");
        std::set<std::string> windowNames, barNames;
        std::set<SInt16> menuIds;
        for (const xmlNode* child = root->children; child; child = child->next) {
            if (child->type != XML_ELEMENT_NODE)
                continue;
            if (Is(child, "window")) {
                out.windows.emplace_back();
                if (!Window(child, out.windows.back()))
                    return false;
                if (!windowNames.insert(out.windows.back().name).second)
                    return Fail(child, "two windows share the name " + out.windows.back().name);
            } else if (Is(child, "menubar")) {
                MenuBarDef bar;
                bar.name = Attr(child, "name");
                if (bar.name.empty() || !barNames.insert(bar.name).second)
                    return Fail(child, "a menu bar needs a name of its own");
                for (const xmlNode* m = child->children; m; m = m->next) {
                    if (m->type != XML_ELEMENT_NODE)
                        continue;
                    if (!Is(m, "menu"))
                        return Fail(m, "a menu bar holds menus only");
                    bar.menus.emplace_back();
                    if (!Menu(m, 2, bar.menus.back()) ||
                        !CollectMenuIds(m, bar.menus.back(), menuIds))
                        return false;
                }
                out.menuBars.push_back(std::move(bar));
            } else if (Is(child, "menu")) {
                out.menus.emplace_back();
                if (!Menu(child, 1, out.menus.back()) ||
                    !CollectMenuIds(child, out.menus.back(), menuIds))
                    return false;
            } else {
                return Fail(child, "unexpected element in a nib");
            }
        }
        return true;
    }
};

} // namespace

bool Parse(const std::string& xml, nib::Document& out, std::string& error) {
    out = nib::Document{};
    if (xml.size() > INT_MAX) {
        error = "nib too large";
        return false;
    }
    // No network, no entity substitution, no DTD loading.
    xmlDocPtr doc = xmlReadMemory(xml.data(), static_cast<int>(xml.size()), "nib.xml", nullptr,
                                  XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    if (!doc) {
        error = "not well-formed XML";
        return false;
    }
    Reader reader;
    bool ok;
    if (doc->intSubset || doc->extSubset)
        ok = reader.Fail(nullptr, "document type declarations are not allowed");
    else
        ok = reader.Document(xmlDocGetRootElement(doc), out);
    xmlFreeDoc(doc);
    if (!ok) {
        error = reader.error;
        out = nib::Document{};
    }
    return ok;
}

namespace {

struct OpenNib {
    Document document;
};

TypedHandleTable<IBNibRef, OpenNib>& Nibs() {
    static TypedHandleTable<IBNibRef, OpenNib> table;
    return table;
}

} // namespace

const Document* GetDocument(IBNibRef nibRef) {
    OpenNib* nib = Nibs().Get(nibRef);
    return nib ? &nib->document : nullptr;
}

} // namespace nib

namespace test {
std::string LastNibError() {
    return nib::gLastError;
}
} // namespace test

namespace {

using windows_detail::Control;
using windows_detail::ControlKind;
using windows_detail::LiveControl;

OSStatus MakeControl(WindowRef window, ControlRef parent, const nib::ControlDef& def) {
    CFStringRef title = new CFString(def.title);
    ControlRef control = nullptr;
    OSStatus status = noErr;
    const std::string& k = def.kind;
    if (k == "push")
        status = CreatePushButtonControl(window, &def.bounds, title, &control);
    else if (k == "bevel")
        status =
            CreateBevelButtonControl(window, &def.bounds, title, kControlBevelButtonNormalBevel,
                                     kControlBehaviorPushbutton, nullptr, 0, 0, 0, &control);
    else if (k == "check")
        status =
            CreateCheckBoxControl(window, &def.bounds, title, def.value, def.autoToggle, &control);
    else if (k == "radio")
        status = CreateRadioButtonControl(window, &def.bounds, title, def.value, def.autoToggle,
                                          &control);
    else if (k == "text")
        status = CreateStaticTextControl(window, &def.bounds, title, nullptr, &control);
    else if (k == "edit")
        status = CreateEditUnicodeTextControl(window, &def.bounds, title, false, nullptr, &control);
    else if (k == "scrollbar")
        status = CreateScrollBarControl(window, &def.bounds, def.value, def.minimum,
                                        def.hasMaximum ? def.maximum : 100, def.viewSize, false,
                                        nullptr, &control);
    else if (k == "slider")
        status = CreateSliderControl(window, &def.bounds, def.value, def.minimum,
                                     def.hasMaximum ? def.maximum : 100,
                                     kControlSliderPointsDownOrRight, 0, false, nullptr, &control);
    else if (k == "progress")
        status = CreateProgressBarControl(window, &def.bounds, def.value, def.minimum,
                                          def.hasMaximum ? def.maximum : 100, false, &control);
    else if (k == "group")
        status = CreateGroupBoxControl(window, &def.bounds, title, true, &control);
    else
        status = CreateUserPaneControl(window, &def.bounds,
                                       def.features | kControlSupportsEmbedding, &control);
    CFRelease(title);
    if (status != noErr)
        return status;
    Control* c = LiveControl(control);
    if (k == "tabs") {
        c->kind = ControlKind::Tabs;
        c->tabLabels = def.tabs;
        c->minimum = def.tabs.empty() ? 0 : 1;
        c->maximum = static_cast<SInt32>(def.tabs.size());
        c->value = c->minimum;
    } else if (k == "popup") {
        c->kind = ControlKind::PopupButton;
        // The pop-up owns a menu of its items; nib pop-ups have no menu id of their own.
        c->menu = NewMenu(0, nullptr);
        c->ownsMenu = c->menu != nullptr;
        for (const std::u16string& item : def.items) {
            CFStringRef text = new CFString(item);
            AppendMenuItemTextWithCFString(c->menu, text, 0, 0, nullptr);
            CFRelease(text);
        }
        c->title = def.title;
        c->minimum = def.items.empty() ? 0 : 1;
        c->maximum = static_cast<SInt32>(def.items.size());
        c->value = c->minimum;
    } else if (k == "browser") {
        c->kind = ControlKind::DataBrowser;
        c->features = def.features;
        c->browser = std::make_shared<windows_detail::BrowserData>();
        c->browser->style = kDataBrowserListView;
    } else if (k == "separator") {
        c->kind = ControlKind::Separator;
        c->features = 0;
    }
    if (def.hasMinimum)
        SetControl32BitMinimum(control, def.minimum);
    if (def.hasMaximum)
        SetControl32BitMaximum(control, def.maximum);
    if (def.hasValue)
        SetControl32BitValue(control, def.value);
    SetControlID(control, &def.id);
    SetControlCommandID(control, def.command);
    c->visible = def.visible;
    c->enabled = def.enabled;
    c->active = def.active;
    if (parent) {
        if (Control* p = LiveControl(parent); p && !(p->features & kControlSupportsEmbedding))
            p->features |= kControlSupportsEmbedding;
        EmbedControl(control, parent);
    }
    for (const nib::ControlDef& child : def.children)
        if (OSStatus s = MakeControl(window, control, child); s != noErr)
            return s;
    return noErr;
}

} // namespace

OSStatus CreateNibReference(CFStringRef nibName, IBNibRef* outNibRef) {
    if (!nibName || !outNibRef)
        return paramErr;
    const std::string name = text::Utf16ToUtf8(nibName->Text());
    nib::gLastError.clear();
    if (name.empty() || name.find('/') != std::string::npos || name[0] == '.') {
        nib::gLastError = "bad nib name";
        return kIBCarbonRuntimeCantFindNibFile;
    }
    const std::string bundle = CFBundleGetPath(CFBundleGetMainBundle());
    std::ifstream in(bundle + "/Contents/Resources/nibs/" + name + ".xml", std::ios::binary);
    if (bundle.empty() || !in) {
        nib::gLastError = "no nib named " + name;
        return kIBCarbonRuntimeCantFindNibFile;
    }
    std::ostringstream text;
    text << in.rdbuf();
    auto open = std::make_unique<nib::OpenNib>();
    if (!nib::Parse(text.str(), open->document, nib::gLastError))
        return kIBCarbonRuntimeCantFindNibFile;
    *outNibRef = nib::Nibs().Add(std::move(open));
    return noErr;
}

void DisposeNibReference(IBNibRef nibRef) {
    nib::Nibs().Remove(nibRef);
}

OSStatus CreateWindowFromNib(IBNibRef nibRef, CFStringRef name, WindowRef* outWindow) {
    const nib::Document* document = nib::GetDocument(nibRef);
    if (!document || !name || !outWindow)
        return paramErr;
    const std::string wanted = text::Utf16ToUtf8(name->Text());
    for (const nib::WindowDef& def : document->windows) {
        if (def.name != wanted)
            continue;
        WindowRef window = nullptr;
        OSStatus status = CreateNewWindow(def.windowClass, def.attributes, &def.bounds, &window);
        if (status != noErr)
            return status;
        windows_detail::LiveWindow(window)->name = def.name;
        windows_detail::LiveWindow(window)->title = def.title;
        ControlRef root = nullptr;
        GetRootControl(window, &root);
        for (const nib::ControlDef& control : def.controls) {
            if ((status = MakeControl(window, root, control)) != noErr) {
                DisposeWindow(window);
                return status;
            }
        }
        *outWindow = window;
        return noErr;
    }
    return kIBCarbonRuntimeCantFindObject;
}

} // namespace tbx
