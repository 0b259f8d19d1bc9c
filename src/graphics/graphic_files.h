// Every picture file of the game: its key, its path in the game folder (backslashes are
// folders), its format and the number of frames stacked in its strip. The game loads from
// this table and assetgen draws to it, so the two cannot disagree.
#pragma once

#include <cstdint>

enum class GraphicFormat : int32_t { Bmp = 1, Pcx = 2 };

struct GraphicFile {
  int32_t key;
  const char* path;
  GraphicFormat format;
  int32_t frames;
};

inline constexpr int kGraphicKeys = 84;

// Row n - 1 is key n.
inline constexpr GraphicFile kGraphicFiles[kGraphicKeys] = {
    {1, "Graphic_resource\\Loading\\LoadingScreen.BMP", GraphicFormat::Bmp, 1},
    {2, "Graphic_resource\\Menu\\Insert.BMP", GraphicFormat::Bmp, 1},
    {3, "Graphic_resource\\transparency.PCX", GraphicFormat::Pcx, 1},
    {4, "Graphic_resource\\Menu\\OptionBackground.BMP", GraphicFormat::Bmp, 1},
    {5, "Graphic_resource\\Menu\\CreditNos.BMP", GraphicFormat::Bmp, 12},
    {6, "Graphic_resource\\Menu\\InfoScreen.BMP", GraphicFormat::Bmp, 1},
    {7, "Graphic_resource\\Menu\\CreditBlank.BMP", GraphicFormat::Bmp, 1},
    {8, "Graphic_resource\\Menu\\BankBlank.BMP", GraphicFormat::Bmp, 1},
    {9, "Graphic_resource\\Font1a.PCX", GraphicFormat::Pcx, 96},
    {10, "Graphic_resource\\Font3.PCX", GraphicFormat::Pcx, 96},
    {11, "Graphic_resource\\TrueFalse\\TFFont.BMP", GraphicFormat::Bmp, 96},
    {12, "Graphic_resource\\Question\\courierfontblueans.PCX", GraphicFormat::Pcx, 96},
    {13, "Graphic_resource\\Main\\pointsboxfont.BMP", GraphicFormat::Bmp, 96},
    {14, "Graphic_resource\\Main\\winplanfont.BMP", GraphicFormat::Bmp, 96},
    {15, "Graphic_resource\\Main\\Main.BMP", GraphicFormat::Bmp, 1},
    {16, "Graphic_resource\\Main\\WinBackGround.BMP", GraphicFormat::Bmp, 1},
    {17, "Graphic_resource\\Main\\prizevalues.BMP", GraphicFormat::Bmp, 12},
    {18, "Graphic_resource\\TrueFalse\\TFBorder.BMP", GraphicFormat::Bmp, 1},
    {19, "Graphic_resource\\TrueFalse\\TrueButton.BMP", GraphicFormat::Bmp, 10},
    {20, "Graphic_resource\\TrueFalse\\FalseButton.BMP", GraphicFormat::Bmp, 10},
    {21, "Graphic_resource\\TrueFalse\\Wrong.BMP", GraphicFormat::Bmp, 6},
    {22, "Graphic_resource\\TrueFalse\\DonkeyWrong.BMP", GraphicFormat::Bmp, 6},
    {23, "Graphic_resource\\TrueFalse\\Correct.BMP", GraphicFormat::Bmp, 6},
    {24, "Graphic_resource\\TrueFalse\\Timeup.BMP", GraphicFormat::Bmp, 2},
    {25, "Graphic_resource\\TrueFalse\\Box.BMP", GraphicFormat::Bmp, 1},
    {26, "Graphic_resource\\TrueFalse\\BoxEdge.BMP", GraphicFormat::Bmp, 1},
    {27, "Graphic_resource\\Main\\boxes.BMP", GraphicFormat::Bmp, 22},
    {28, "Graphic_resource\\Main\\winplanback.BMP", GraphicFormat::Bmp, 1},
    {29, "Graphic_resource\\Main\\Pointer.BMP", GraphicFormat::Bmp, 1},
    {30, "Graphic_resource\\Main\\winvalues.BMP", GraphicFormat::Bmp, 8},
    {31, "Graphic_resource\\Main\\pointsbox.BMP", GraphicFormat::Bmp, 1},
    {32, "Graphic_resource\\Main\\collectbutton.BMP", GraphicFormat::Bmp, 3},
    {33, "Graphic_resource\\Main\\cashpot.BMP", GraphicFormat::Bmp, 1},
    {34, "Graphic_resource\\Main\\grid.BMP", GraphicFormat::Bmp, 1},
    {35, "Graphic_resource\\Main\\pointnumbers.BMP", GraphicFormat::Bmp, 11},
    {36, "Graphic_resource\\Main\\winplannumbers.BMP", GraphicFormat::Bmp, 11},
    {37, "Graphic_resource\\Menu\\OptionBackgroundBLank.BMP", GraphicFormat::Bmp, 1},
    {38, "Graphic_resource\\Menu\\MenuBlank.BMP", GraphicFormat::Bmp, 1},
    {39, "Graphic_resource\\Menu\\OptionBlank.BMP", GraphicFormat::Bmp, 1},
    {40, "Graphic_resource\\Menu\\PlayBlank.BMP", GraphicFormat::Bmp, 1},
    {41, "Graphic_resource\\Menu\\BankSwipe.BMP", GraphicFormat::Bmp, 1},
    {42, "Graphic_resource\\Menu\\CreditSwipe.BMP", GraphicFormat::Bmp, 1},
    {43, "Graphic_resource\\Menu\\PlaySwipe.BMP", GraphicFormat::Bmp, 1},
    {44, "Graphic_resource\\Menu\\MenuSwipe.BMP", GraphicFormat::Bmp, 1},
    {45, "Graphic_resource\\Menu\\OptionSwipe.BMP", GraphicFormat::Bmp, 1},
    {46, "Graphic_resource\\Menu\\BackBlank.BMP", GraphicFormat::Bmp, 1},
    {47, "Graphic_resource\\Menu\\BackSwipe.BMP", GraphicFormat::Bmp, 1},
    {48, "Graphic_resource\\Main\\animQMark.BMP", GraphicFormat::Bmp, 15},
    {49, "Graphic_resource\\Main\\anim1000.BMP", GraphicFormat::Bmp, 9},
    {50, "Graphic_resource\\Main\\anim2000.BMP", GraphicFormat::Bmp, 9},
    {51, "Graphic_resource\\Main\\anim3000.BMP", GraphicFormat::Bmp, 9},
    {52, "Graphic_resource\\Main\\anim4000.BMP", GraphicFormat::Bmp, 9},
    {53, "Graphic_resource\\Main\\anim5000.BMP", GraphicFormat::Bmp, 9},
    {54, "Graphic_resource\\Main\\anim6000.BMP", GraphicFormat::Bmp, 9},
    {55, "Graphic_resource\\Main\\anim7000.BMP", GraphicFormat::Bmp, 9},
    {56, "Graphic_resource\\Main\\anim8000.BMP", GraphicFormat::Bmp, 9},
    {57, "Graphic_resource\\Main\\anim9000.BMP", GraphicFormat::Bmp, 9},
    {58, "Graphic_resource\\Main\\anim10000.BMP", GraphicFormat::Bmp, 9},
    {59, "Graphic_resource\\Main\\anim20000.BMP", GraphicFormat::Bmp, 9},
    {60, "Graphic_resource\\Main\\anim30000.BMP", GraphicFormat::Bmp, 9},
    {61, "Graphic_resource\\Main\\anim40000.BMP", GraphicFormat::Bmp, 9},
    {62, "Graphic_resource\\Main\\anim50000.BMP", GraphicFormat::Bmp, 9},
    {63, "Graphic_resource\\Main\\anim100000.BMP", GraphicFormat::Bmp, 9},
    {64, "Graphic_resource\\Main\\animDoubleOrQuits.BMP", GraphicFormat::Bmp, 9},
    {65, "Graphic_resource\\Main\\animExtraLife.BMP", GraphicFormat::Bmp, 9},
    {66, "Graphic_resource\\Main\\animReveal.BMP", GraphicFormat::Bmp, 9},
    {67, "Graphic_resource\\Main\\animCashpot.BMP", GraphicFormat::Bmp, 9},
    {68, "Graphic_resource\\Main\\animTrueFalse.BMP", GraphicFormat::Bmp, 9},
    {69, "Graphic_resource\\Main\\LifeScreen.BMP", GraphicFormat::Bmp, 1},
    {70, "Graphic_resource\\Main\\Life1Anim.BMP", GraphicFormat::Bmp, 20},
    {71, "Graphic_resource\\Main\\Life2Anim.BMP", GraphicFormat::Bmp, 20},
    {72, "Graphic_resource\\Main\\Life3Anim.BMP", GraphicFormat::Bmp, 20},
    {73, "Graphic_resource\\Main\\LivesMen.BMP", GraphicFormat::Bmp, 6},
    {74, "Graphic_resource\\Main\\Reveal-0.BMP", GraphicFormat::Bmp, 2},
    {75, "Graphic_resource\\Main\\Reveal-1.BMP", GraphicFormat::Bmp, 2},
    {76, "Graphic_resource\\Main\\Reveal-2.BMP", GraphicFormat::Bmp, 2},
    {77, "Graphic_resource\\Main\\Reveal-3.BMP", GraphicFormat::Bmp, 2},
    {78, "Graphic_resource\\Main\\Reveal-4.BMP", GraphicFormat::Bmp, 2},
    {79, "Graphic_resource\\Main\\Reveal-5.BMP", GraphicFormat::Bmp, 2},
    {80, "Graphic_resource\\Main\\CashpotNos.BMP", GraphicFormat::Bmp, 12},
    {81, "Graphic_resource\\Main\\Boots.BMP", GraphicFormat::Bmp, 5},
    {82, "Graphic_resource\\Main\\TimerBits.BMP", GraphicFormat::Bmp, 3},
    {83, "Graphic_resource\\Main\\words.BMP", GraphicFormat::Bmp, 5},
    {84, "Graphic_resource\\Main\\collectanim.BMP", GraphicFormat::Bmp, 14},
};
