#pragma once
// What a frame is rendered for. The export may draw differently from the preview: an HDR
// source's emoji are brightened to sit with its HLG pictures.

enum class RenderPurpose { preview, exportFile };
