// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "HtmlAttribute.h"

#include <gumbo.h>
#include <memory>

namespace {

const GumboNode* firstElement(const GumboNode* node, GumboTag tag)
{
    if (node->type != GUMBO_NODE_ELEMENT)
        return nullptr;
    if (node->v.element.tag == tag)
        return node;
    const GumboVector& children = node->v.element.children;
    for (unsigned i = 0; i < children.length; ++i) {
        if (const GumboNode* found = firstElement(static_cast<GumboNode*>(children.data[i]), tag))
            return found;
    }
    return nullptr;
}

} // namespace

QString htmlAttributeValue(QStringView raw)
{
    // Most links hold nothing to decode, and are taken as they stand.
    if (!raw.contains(u'&') && !raw.contains(u'\0') && !raw.contains(u'\r'))
        return raw.toString();
    // The HTML5 rules for references, with the table of every name, are a parser's: the value is
    // read by one, in the tag it came from. A quote would end the value early, so it goes in as a
    // reference itself.
    QString tag = QStringLiteral("<a href=\"");
    tag += raw.toString().replace(u'"', QStringLiteral("&quot;"));
    tag += QStringLiteral("\">");
    const QByteArray utf8 = tag.toUtf8();
    const std::unique_ptr<GumboOutput, void (*)(GumboOutput*)> document(
        gumbo_parse_with_options(&kGumboDefaultOptions, utf8.constData(), std::size_t(utf8.size())),
        [](GumboOutput* output) { gumbo_destroy_output(&kGumboDefaultOptions, output); });
    const GumboNode* link = document ? firstElement(document->root, GUMBO_TAG_A) : nullptr;
    const GumboAttribute* href =
        link ? gumbo_get_attribute(&link->v.element.attributes, "href") : nullptr;
    // A value the parser reads as nothing (a lone NUL or line break) is no link: the page's own
    // text is kept, as it was before references were read.
    const QString value = href ? QString::fromUtf8(href->value) : QString();
    return value.isEmpty() ? raw.toString() : value;
}
