// The credit (top right) and bank (top left) panels of the menu: the player's totals
// from the money server in pounds and pence, drawn glyph by glyph.
#pragma once

void DrawCreditPanel();
void DrawBankPanel();
