// The game screen's layers in a data set: names and placement, never the pictures.

#include "app/globals/globals.h"
#include "graphics/layer_set.h"
#include "script/save/data_set_codec.h"
#include "script/save/data_set_parts.h"

namespace kv {

namespace {
LayerRecord ToRecord(const LayerEntry& entry) {
    return {entry.maskIndex, entry.x,     entry.y,
            entry.sourceX,   entry.sourceY, entry.width,
            entry.height,    FitField(entry.name.View(), kNameField),
            entry.drawMode,  entry.drawParameter, entry.visible,
            entry.hiddenOnView};
}

void FromRecord(LayerEntry& entry, const LayerRecord& record) {
    entry.maskIndex = record.maskIndex;
    entry.x = record.x;
    entry.y = record.y;
    entry.sourceX = record.sourceX;
    entry.sourceY = record.sourceY;
    entry.width = record.width;
    entry.height = record.height;
    entry.name = String(record.name.c_str());
    entry.drawMode = record.drawMode;
    entry.drawParameter = record.drawParameter;
    entry.visible = record.visible;
    entry.hiddenOnView = record.hiddenOnView;
}
}  // namespace

void CaptureLayers(DataSet& set, DataSetArrays& arrays) {
    if (g_gameScreenLayers == nullptr) return;
    LayerSet& layers = *g_gameScreenLayers;
    for (std::int32_t i = 0; i < layers.LayerCount(); ++i) {
        arrays.pictureWorking.push_back(ToRecord(*layers.GetLayer(i)));
        arrays.pictureShown.push_back(ToRecord(*layers.GetShownLayer(i)));
    }
    for (std::int32_t i = 0; i < layers.MaskLayerCount(); ++i) {
        arrays.maskWorking.push_back(ToRecord(*layers.GetMaskLayer(i)));
        arrays.maskShown.push_back(ToRecord(*layers.GetShownMaskLayer(i)));
    }
    set.brightness = {layers.ShownBrightness().mode, layers.ShownBrightness().delta, layers.ComposedBrightness().mode,
                      layers.ComposedBrightness().delta};
    set.effectIntervalMs = layers.EffectTimer().Interval();
}

void RestoreLayers(const DataSet& set, const DataSetArrays& arrays) {
    if (g_gameScreenLayers == nullptr) return;
    LayerSet& layers = *g_gameScreenLayers;
    layers.FreeBanks();
    layers.SetSurfaces(g_screenSurface, g_workSurface1, g_workSurface2);
    layers.AllocBank(static_cast<std::int32_t>(arrays.pictureWorking.size()), LayerBank::Picture);
    layers.AllocBank(static_cast<std::int32_t>(arrays.maskWorking.size()), LayerBank::Mask);
    for (std::int32_t i = 0; i < layers.LayerCount(); ++i) {
        const auto at = static_cast<std::size_t>(i);
        FromRecord(*layers.GetLayer(i), arrays.pictureWorking[at]);
        if (at < arrays.pictureShown.size()) FromRecord(*layers.GetShownLayer(i), arrays.pictureShown[at]);
    }
    for (std::int32_t i = 0; i < layers.MaskLayerCount(); ++i) {
        const auto at = static_cast<std::size_t>(i);
        FromRecord(*layers.GetMaskLayer(i), arrays.maskWorking[at]);
        if (at < arrays.maskShown.size()) FromRecord(*layers.GetShownMaskLayer(i), arrays.maskShown[at]);
    }
    layers.SetShownBrightness(set.brightness[0], set.brightness[1]);
    layers.SetComposedBrightness({set.brightness[2], set.brightness[3]});
    layers.EffectTimer().Start(set.effectIntervalMs);
}

}  // namespace kv
