#include "filedialog/ApPlacesBar.h"

TApPlacesBarHooks ApPlacesBarHooks;

const tk::ClassInfo& TApPlace::StaticClass() {
    static const tk::ClassInfo info{"TApPlace",
                                    &tk::CollectionItem::StaticClass(),
                                    {tk::TextProp("PlaceName", &TApPlace::PlaceName, &TApPlace::SetPlaceName),
                                     tk::TextProp("PlacePath", &TApPlace::PlacePath, &TApPlace::SetPlacePath),
                                     tk::TextProp("PlaceRegPath", &TApPlace::PlaceRegPath, &TApPlace::SetPlaceRegPath),
                                     tk::TextProp("PlaceDesc", &TApPlace::PlaceDesc, &TApPlace::SetPlaceDesc),
                                     tk::TextProp("PlaceIconDll", &TApPlace::PlaceIconDll, &TApPlace::SetPlaceIconDll)},
                                    {}};
    return info;
}

void TApPlace::Assign(const TApPlace& other) {
    placeName_ = other.placeName_;
    placePath_ = other.placePath_;
    placeRegPath_ = other.placeRegPath_;
    PlaceSpecPath = other.PlaceSpecPath;
    placeDesc_ = other.placeDesc_;
    placeIconDll_ = other.placeIconDll_;
    PlaceIcon = other.PlaceIcon;
    PlaceHotIcon = other.PlaceHotIcon;
    AutoCaption = other.AutoCaption;
}

TApPlaces::TApPlaces() : tk::Collection([] { return std::make_unique<TApPlace>(); }) {}

void TApPlaces::Assign(const TApPlaces& other) {
    if (&other == this) return;
    Clear();
    for (int i = 0; i < other.Count(); ++i) AddPlace()->Assign(*other.Items(i));
}

const tk::ClassInfo& TApPlacesBarOptions::StaticClass() {
    static const tk::ClassInfo info{
        "TApPlacesBarOptions",
        &tk::Persistent::StaticClass(),
        {tk::TextProp("RegistryKey", &TApPlacesBarOptions::RegistryKey, &TApPlacesBarOptions::SetRegistryKey)},
        {tk::ObjectProp("Places", &TApPlacesBarOptions::Places)}};
    return info;
}

TApPlacesBarOptions::TApPlacesBarOptions(TApCustomOpenDialog* dialog)
    : dialog_(dialog), places_(std::make_unique<TApPlaces>()) {}

void TApPlacesBarOptions::Assign(const TApPlacesBarOptions& other) {
    registryKey_ = other.registryKey_;
    places_->Assign(*other.places_);
    Visible = other.Visible;
    AllowEdit = other.AllowEdit;
    AllowDelete = other.AllowDelete;
    AllowDrop = other.AllowDrop;
    AutoScroll = other.AutoScroll;
    BorderStyle = other.BorderStyle;
    Native = other.Native;
}
