// One OpenGL light: which light, its position (always positional) and colours.
#pragma once
#include <GL/gl.h>

#include "platform/Types.h"

extern GLenum CurrentLight;
extern float LightPosition[4];
extern float LightAmbient[4];
extern float LightDiffuse[4];

void SelectLight(GLenum light);
// Enables the light at (10, 10, 10) in white, with lighting and normalising on.
void SetupLight();
// The position is transformed by the modelview matrix current at the call.
void SetLightPosition(const Vec3& position);
void SetLightColors(const TColor4& ambient, const TColor4& diffuse);
void DisableLighting();
