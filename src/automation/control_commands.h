#pragma once

#include <QString>

class ConsoleControl;

// The ten continuous controls that MIDI controllers and DMX channels drive (`eseguiComando`):
// "OpacityA", "VolumeA", "SaturationA", "HueA", "BrightnessA" and the same for B, each moving
// its bar as the operator would. `valore` is 0..254 from MIDI (the controller value × 2) or
// 0..255 from DMX: opacity = v, volume and saturation = v div 2 %, hue and brightness = v − 127,
// clamped by the bars. The name is compared exactly; false for a name that is none of them.
bool eseguiComando(ConsoleControl& console, const QString& comando, int valore);
