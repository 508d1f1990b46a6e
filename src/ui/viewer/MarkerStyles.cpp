#include "ui/viewer/MarkerStyles.h"

#include <algorithm>
#include <array>

namespace vyper {

namespace {

constexpr int Rgb(int r, int g, int b) { return r | (g << 8) | (b << 16); }

struct KnownMarker {
    const char16_t* text;
    int colour;
    bool warning;
    const char16_t* meaning;
};

// Warnings first: the order of the legend.
constexpr std::array<KnownMarker, 8> kKnown{{
    {u"SLOW", Rgb(220, 0, 0), true, u"Aufstieg zu schnell"},
    {u"ASC", Rgb(230, 100, 0), true, u"Aufstiegswarnung"},
    {u"CEIL", Rgb(200, 0, 140), true, u"Dekostufe verletzt"},
    {u"ERR", Rgb(140, 0, 0), true, u"Fehler"},
    {u"ATT", Rgb(170, 120, 0), false, u"Achtung"},
    {u"PLAN", Rgb(0, 130, 0), false, u"Planung"},
    {u"SURF", Rgb(0, 140, 170), false, u"Oberfläche"},
    {u"", Rgb(110, 110, 110), false, u"Markierung ohne Text"},
}};

int KnownIndex(const QString& text) {
    for (std::size_t i = 0; i < kKnown.size(); ++i) {
        if (text == QStringView(kKnown[i].text)) return static_cast<int>(i);
    }
    return -1;
}

}  // namespace

MarkerStyle StyleOfMarker(const QString& text) {
    const int i = KnownIndex(text);
    if (i < 0) return {kKnown.back().colour, false, SymbolShape::Circle, QStringLiteral("Markierung ") + text};
    const KnownMarker& k = kKnown[static_cast<std::size_t>(i)];
    const QString meaning = QString::fromUtf16(k.meaning);
    return {k.colour, k.warning, k.warning ? SymbolShape::Triangle : SymbolShape::Circle,
            text.isEmpty() ? meaning : text + QStringLiteral(": ") + meaning};
}

std::vector<QString> LegendOrder(const std::vector<QString>& texts) {
    std::vector<QString> order;
    for (const KnownMarker& k : kKnown) {
        const QString text = QString::fromUtf16(k.text);
        if (std::find(texts.begin(), texts.end(), text) != texts.end()) order.push_back(text);
    }
    for (const QString& text : texts) {
        if (KnownIndex(text) < 0 && std::find(order.begin(), order.end(), text) == order.end()) order.push_back(text);
    }
    return order;
}

}  // namespace vyper
