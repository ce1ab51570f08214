#include "i18n/vgNLS.h"

const tk::ClassInfo& TvgCustomTranslator::StaticClass() {
    static const tk::ClassInfo info{"TvgCustomTranslator", &tk::Component::StaticClass(), {}, {}};
    return info;
}

const tk::ClassInfo& TvgTranslator::StaticClass() {
    static const tk::ClassInfo info{"TvgTranslator", &TvgCustomTranslator::StaticClass(), {}, {}};
    return info;
}
