#include "media/filters/image_filter.h"

#include <charconv>

#include "ui/base/dialog.h"

CBK_ImageFilter* CBK_ImageFilter::MakeCopy() {
    return new CBK_ImageFilter;
}

bool CBK_ImageFilter::Filter(CBK_Image&) {
    return true;
}

bool CBK_ImageFilter::InitControls(CBK_Dialog&, tbx::Rect&) {
    return true;
}

bool CBK_ImageFilter::KillControls() {
    return true;
}

bool CBK_ImageFilter::OnCommand(uint32_t, tbx::EventRef&) {
    return false;
}

void CBK_ImageFilter::ExpandDialogHeight(CBK_Dialog& dialog, int32_t pixels) {
    dialog.SetHeight(dialog.GetHeight() + pixels);
}

bool CBK_ImageFilter::_ReadXmlSettings(CBK_XmlDomNode&, CBK_XmlDomNamedNodeMap&) {
    return true;
}

bool CBK_ImageFilter::_WriteXmlSettings(CBK_XmlWriter&) {
    return true;
}

bool CBK_ImageFilter::WriteXml(CBK_XmlWriter& writer) {
    writer << "<filter name=\"";
    writer.WriteString(m_strName.c_str());
    _WriteXmlSettings(writer);
    writer << "\" />\n";
    return true;
}

bool CBK_ImageFilter::ReadXml(CBK_XmlDomNode& element) {
    CBK_XmlDomNamedNodeMap attributes;
    if (element.GetAttributes(attributes))
        _ReadXmlSettings(element, attributes);
    return true;
}

void CBK_ImageFilter::_WriteAttribute(CBK_XmlWriter& writer, const char* name, int32_t value) {
    writer << "\" " << name << "=\"" << value;
}

void CBK_ImageFilter::_WriteAttribute(CBK_XmlWriter& writer, const char* name, double value) {
    char text[32];
    auto result = std::to_chars(text, text + sizeof text - 1, value, std::chars_format::general, 6);
    *result.ptr = '\0';
    writer << "\" " << name << "=\"" << text;
}

void CBK_ImageFilter::_WriteAttribute(CBK_XmlWriter& writer, const char* name, const char* value) {
    writer << "\" " << name << "=\"" << value;
}

void CBK_ImageFilter::_ReadAttribute(CBK_XmlDomNamedNodeMap& attributes, const char* name,
                                     int32_t& value) {
    CBK_XmlDomNode node;
    if (attributes.GetItem(name, node))
        value = node.GetTextAsNumber(value);
}

void CBK_ImageFilter::_ReadAttribute(CBK_XmlDomNamedNodeMap& attributes, const char* name,
                                     double& value) {
    CBK_XmlDomNode node;
    if (attributes.GetItem(name, node))
        value = node.GetTextAsFloat(value);
}
