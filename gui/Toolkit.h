// The whole widget toolkit in one include, for editors.
#pragma once

#include "gui/AEffGUIEditor.h"
#include "gui/CBitmap.h"
#include "gui/CButtons.h"
#include "gui/CControl.h"
#include "gui/CDrawContext.h"
#include "gui/CFrame.h"
#include "gui/CGeometry.h"
#include "gui/CKnob.h"
#include "gui/COffscreenContext.h"
#include "gui/COptionMenu.h"
#include "gui/CParamDisplay.h"
#include "gui/CSlider.h"
#include "gui/CSplashScreen.h"
#include "gui/CView.h"
#include "gui/CVuMeter.h"
