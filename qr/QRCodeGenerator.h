#pragma once

#include "qr/QRTypes.h"

#include <string>
#include <vector>

namespace bramolt::qr {

// The symbol's modules without margin, [x][y] with x the column and y the row; true = dark.
using T2DBooleanArray = std::vector<std::vector<bool>>;

// The QR code symbol of a text at error-correction level L: set Data (and, if needed, Encoding
// and QuietZone), then read Rows, Columns and IsBlack. Every effective change of an input encodes
// the symbol again at once; reading never encodes.
class TQRCodeGenerator {
  public:
    // No text, qrAuto, a margin of 4, no symbol (Rows = Columns = 0).
    TQRCodeGenerator() = default;

    const std::u16string& Data() const { return FData; }
    // A different text is stored and encoded; the same text changes nothing. Throws EQRTextTooLong
    // when the text does not fit version 40; the text is kept, the previous symbol too.
    void SetData(const std::u16string& value);

    TQRCodeEncoding Encoding() const { return FEncoding; }
    // A different option is stored and the text encoded again; may throw like SetData.
    void SetEncoding(TQRCodeEncoding value);

    // Width of the light margin in modules, 0..100.
    int QuietZone() const { return FQuietZone; }
    // A different width within 0..100 is stored and the symbol encoded again (may throw like
    // SetData); any other value is ignored.
    void SetQuietZone(int value);

    // Modules per column and per row, margins included: 17 + 4 * version + 2 * QuietZone, or 0
    // before the first symbol.
    int Rows() const { return FRows; }
    int Columns() const { return FColumns; }

    // True when the module at row (from the top of the margin) and column (from its left) is dark.
    // The margin and every position outside the symbol, negative ones included, are light.
    bool IsBlack(int row, int column) const;

  private:
    void Regenerate();

    std::u16string FData;
    int FRows = 0;
    int FColumns = 0;
    TQRCodeEncoding FEncoding = TQRCodeEncoding::qrAuto;
    int FQuietZone = 4;
    T2DBooleanArray FElements;
};

// One encoding run at level L: the modules of text's symbol. Throws EQRTextTooLong.
T2DBooleanArray BuildElements(const std::u16string& text, TQRCodeEncoding encoding);

} // namespace bramolt::qr
