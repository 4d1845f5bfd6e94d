// The procedure set "OndaraDraw_ops" of the native file, written into every prolog. The
// definitions come in the order the reader and older files expect; lines are kept short
// because DSC readers limit line length.
#include <cstdio>
#include <string>
#include <string_view>

#include "model/Arrowhead.h"
#include "output/QlxWriter.h"

namespace {

const char kBeforeArrowhead[] =
    "/definepattern { 7 dict begin /FontDict 9 dict def FontDict begin /cache exch\r\n"
    "  def /key exch def /proc exch cvx def /mtx exch matrix invertmatrix def /height\r\n"
    "  exch def /width exch def /ctm matrix currentmatrix def /ptm matrix identmatrix\r\n"
    "  def /str (xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx) def end /FontBBox [ 0 0 FontDict\r\n"
    "  /width get FontDict /height get ] def /FontMatrix FontDict /mtx get def\r\n"
    "  /Encoding StandardEncoding def /FontType 3 def /BuildChar { pop begin FontDict\r\n"
    "  begin width 0 cache { 0 0 width height setcachedevice } { setcharwidth }\r\n"
    "  ifelse 0 0 moveto width 0 lineto width height lineto 0 height lineto closepath\r\n"
    "  clip newpath gsave proc grestore end end } def FontDict /key get currentdict\r\n"
    "  definefont end } bind def\r\n"
    "/patternpath { dup type /dicttype eq { begin FontDict /ctm get setmatrix } {\r\n"
    "  exch begin FontDict /ctm get setmatrix concat } ifelse currentdict setfont\r\n"
    "  FontDict begin FontMatrix concat width 0 dtransform round width div exch round\r\n"
    "  width div exch 0 height dtransform round height div exch round height div exch\r\n"
    "  0 0 transform round exch round exch ptm astore setmatrix pathbbox height div\r\n"
    "  ceiling height mul 4 1 roll width div ceiling width mul 4 1 roll height div\r\n"
    "  floor height mul 4 1 roll width div floor width mul 4 1 roll 2 index sub\r\n"
    "  height div ceiling cvi exch 3 index sub width div ceiling cvi exch 4 2 roll\r\n"
    "  moveto FontMatrix ptm invertmatrix pop { gsave ptm concat dup str length idiv\r\n"
    "  { str show } repeat dup str length mod str exch 0 exch getinterval show\r\n"
    "  grestore 0 height rmoveto } repeat pop end end } bind def\r\n"
    "/patternfill { gsave clip patternpath grestore newpath } bind def\r\n"
    "/img { gsave /imgh exch def /imgw exch def concat imgw imgh 8 [imgw 0 0 imgh neg\r\n"
    "  0 imgh] /colorstr 768 string def /colorimage where { pop { currentfile\r\n"
    "  colorstr readhexstring pop } false 3 colorimage } { /graystr 256 string def {\r\n"
    "  currentfile colorstr readhexstring pop length 3 idiv dup 1 sub 0 1 3 -1 roll {\r\n"
    "  graystr exch colorstr 1 index 3 mul get 30 mul colorstr 2 index 3 mul 1 add\r\n"
    "  get 59 mul colorstr 3 index 3 mul 2 add get 11 mul add add 100 idiv put } for\r\n"
    "  graystr 0 3 -1 roll getinterval } image } ifelse grestore } bind def\r\n";

const char kAfterArrowhead[] =
    "/setcmykcolor where { pop } { /setcmykcolor { /black exch def /yellow exch def\r\n"
    "  /magenta exch def /cyan exch def cyan black add dup 1 gt { pop 1 } if 1 exch\r\n"
    "  sub magenta black add dup 1 gt { pop 1 } if 1 exch sub yellow black add dup 1\r\n"
    "  gt { pop 1 } if 1 exch sub setrgbcolor } bind def } ifelse\r\n"
    "/RE { findfont begin currentdict dup length dict begin { 1 index /FID ne { def }\r\n"
    "  { pop pop } ifelse } forall /FontName exch def dup length 0 ne { /Encoding\r\n"
    "  Encoding 256 array copy def 0 exch { dup type /nametype eq { Encoding 2 index\r\n"
    "  2 index put pop 1 add } { exch pop } ifelse } forall } if pop currentdict dup\r\n"
    "  end end /FontName get exch definefont pop } bind def\r\n"
    "/spacecount { 0 exch ( ) { search { pop 3 -1 roll 1 add 3 1 roll } { pop exit }\r\n"
    "  ifelse } loop } bind def\r\n"
    "/WinAnsiEncoding [ 39 /quotesingle 96 /grave 128 /Euro 130 /quotesinglbase /florin\r\n"
    "  /quotedblbase /ellipsis /dagger /daggerdbl /circumflex /perthousand /Scaron\r\n"
    "  /guilsinglleft /OE 142 /Zcaron 145 /quoteleft /quoteright /quotedblleft\r\n"
    "  /quotedblright /bullet /endash /emdash /tilde /trademark /scaron /guilsinglright\r\n"
    "  /oe /dotlessi /zcaron /Ydieresis /space 164 /currency 166 /brokenbar 168 /dieresis\r\n"
    "  /copyright /ordfeminine 172 /logicalnot /hyphen /registered /macron /degree\r\n"
    "  /plusminus /twosuperior /threesuperior /acute /mu 183 /periodcentered /cedilla\r\n"
    "  /onesuperior /ordmasculine 188 /onequarter /onehalf /threequarters 192 /Agrave\r\n"
    "  /Aacute /Acircumflex /Atilde /Adieresis /Aring /AE /Ccedilla /Egrave /Eacute\r\n"
    "  /Ecircumflex /Edieresis /Igrave /Iacute /Icircumflex /Idieresis /Eth /Ntilde\r\n"
    "  /Ograve /Oacute /Ocircumflex /Otilde /Odieresis /multiply /Oslash /Ugrave\r\n"
    "  /Uacute /Ucircumflex /Udieresis /Yacute /Thorn /germandbls /agrave /aacute\r\n"
    "  /acircumflex /atilde /adieresis /aring /ae /ccedilla /egrave /eacute\r\n"
    "  /ecircumflex /edieresis /igrave /iacute /icircumflex /idieresis /eth /ntilde\r\n"
    "  /ograve /oacute /ocircumflex /otilde /odieresis /divide /oslash /ugrave\r\n"
    "  /uacute /ucircumflex /udieresis /yacute /thorn /ydieresis ] def\r\n"
    "/SymbolEncoding [ 32 /space /exclam /universal /numbersign /existential /percent\r\n"
    "  /ampersand /suchthat /parenleft /parenright /asteriskmath /plus /comma /minus\r\n"
    "  /period /slash /zero /one /two /three /four /five /six /seven /eight /nine\r\n"
    "  /colon /semicolon /less /equal /greater /question /congruent /Alpha /Beta /Chi\r\n"
    "  /Delta /Epsilon /Phi /Gamma /Eta /Iota /theta1 /Kappa /Lambda /Mu /Nu /Omicron\r\n"
    "  /Pi /Theta /Rho /Sigma /Tau /Upsilon /sigma1 /Omega /Xi /Psi /Zeta\r\n"
    "  /bracketleft /therefore /bracketright /perpendicular /underscore /radicalex\r\n"
    "  /alpha /beta /chi /delta /epsilon /phi /gamma /eta /iota /phi1 /kappa /lambda\r\n"
    "  /mu /nu /omicron /pi /theta /rho /sigma /tau /upsilon /omega1 /omega /xi /psi\r\n"
    "  /zeta /braceleft /bar /braceright /similar /Upsilon1 /minute /lessequal\r\n"
    "  /fraction /infinity /florin /club /diamond /heart /spade /arrowboth /arrowleft\r\n"
    "  /arrowup /arrowright /arrowdown /degree /plusminus /second /greaterequal\r\n"
    "  /multiply /proportional /partialdiff /bullet /divide /notequal /equivalence\r\n"
    "  /approxequal /ellipsis /arrowvertex /arrowhorizex /carriagereturn /aleph\r\n"
    "  /Ifraktur /Rfraktur /weierstrass /circlemultiply /circleplus /emptyset\r\n"
    "  /intersection /union /propersuperset /reflexsuperset /notsubset /propersubset\r\n"
    "  /reflexsubset /element /notelement /angle /gradient /registerserif\r\n"
    "  /copyrightserif /trademarkserif /product /radical /dotmath /logicalnot\r\n"
    "  /logicaland /logicalor /arrowdblboth /arrowdblleft /arrowdblup /arrowdblright\r\n"
    "  /arrowdbldown /lozenge /angleleft /registersans /copyrightsans /trademarksans\r\n"
    "  /summation /parenlefttp /parenleftex /parenleftbt /bracketlefttp\r\n"
    "  /bracketleftex /bracketleftbt /bracelefttp /braceleftmid /braceleftbt /braceex\r\n"
    "  /angleright /integral /integraltp /integralex /integralbt /parenrighttp\r\n"
    "  /parenrightex /parenrightbt /bracketrighttp /bracketrightex /bracketrightbt\r\n"
    "  /bracerighttp /bracerightmid /bracerightbt ] def\r\n"
    "/patarray [ /leftdiagonal /rightdiagonal /crossdiagonal /horizontal /vertical\r\n"
    "  /crosshatch /fishscale /wave /brick ] def /arrowtype 0 def /fillC 0 def /fillM\r\n"
    "  0 def /fillY 0 def /fillK 0 def /strokeC 0 def /strokeM 0 def /strokeY 0 def\r\n"
    "  /strokeK 1 def /pattern -1 def /mat matrix def /c /curveto load def /C\r\n"
    "  /curveto load def /e { gsave concat 0 0 moveto } bind def\r\n"
    "/F { pattern -1 eq { fillC fillM fillY fillK setcmykcolor fill } { gsave fillC\r\n"
    "  fillM fillY fillK setcmykcolor fill grestore 0 0 0 1 setcmykcolor patarray\r\n"
    "  pattern get findfont patternfill } ifelse } bind def\r\n"
    "/f { closepath F } bind def /K { /strokeK exch def /strokeY exch def /strokeM\r\n"
    "  exch def /strokeC exch def } bind def /k { /fillK exch def /fillY exch def\r\n"
    "  /fillM exch def /fillC exch def } bind def /L /lineto load def /m /moveto load\r\n"
    "  def /n /newpath load def /N /newpath load def /S { strokeC strokeM strokeY\r\n"
    "  strokeK setcmykcolor stroke } bind def /s { closepath S } bind def\r\n"
    "/Tx { fillC fillM fillY fillK setcmykcolor show 0 leading neg translate 0 0\r\n"
    "  moveto } bind def\r\n"
    "/t { fillC fillM fillY fillK setcmykcolor align dup 0 eq { pop show } { dup 1 eq\r\n"
    "  { pop dup stringwidth pop 2 div neg 0 rmoveto show } { dup 2 eq { pop dup\r\n"
    "  stringwidth pop neg 0 rmoveto show } { pop dup stringwidth pop jwidth exch sub\r\n"
    "  1 index spacecount dup 0 eq { pop pop show } { div 0 8#040 4 -1 roll widthshow\r\n"
    "  } ifelse } ifelse } ifelse } ifelse 0 leading neg translate 0 0 moveto } bind\r\n"
    "  def\r\n"
    "/T { grestore } bind def /TX { pop } bind def /tbx { pop exch pop sub /jwidth\r\n"
    "  exch def } def\r\n"
    "/u {} def /U {} def /*u {} def /*U {} def\r\n"
    "/w /setlinewidth load def /d /setdash load def /B { gsave F grestore S } bind\r\n"
    "  def /b { closepath B } bind def /z { /align exch def pop /leading exch def\r\n"
    "  exch findfont exch scalefont setfont } bind def /Pat { /pattern exch def }\r\n"
    "  bind def /At { /arrowtype exch def } bind def\r\n"
    // Arrowheads are never smaller than size 1, as on screen: a line of width 0 would
    // otherwise scale them to nothing and stop the interpreter with a singular matrix.
    "/Ln { mat currentmatrix pop concat /y1 exch def /x1 exch def /y2 exch def /x2\r\n"
    "  exch def dup 2 mod 1 eq { currentlinewidth dup 1 lt { pop 1 } if x2 y2 x1 y1\r\n"
    "  arrowhead } if 2 idiv 1 eq { currentlinewidth dup 1 lt { pop 1 } if x1 y1 x2 y2\r\n"
    "  arrowhead } if x1 y1 moveto x2 y2 lineto mat setmatrix } bind def\r\n"
    "/Ar { mat currentmatrix pop concat translate scale 0 0 1 5 -2 roll arc mat\r\n"
    "  setmatrix } bind def /Pi { mat currentmatrix pop concat translate scale 0 0\r\n"
    "  moveto 0 0 1 5 -2 roll arc closepath mat setmatrix } bind def /Bx { mat\r\n"
    "  currentmatrix pop concat /y1 exch def /x1 exch def /y2 exch def /x2 exch def\r\n"
    "  x1 y1 moveto x1 y2 lineto x2 y2 lineto x2 y1 lineto mat setmatrix } bind def\r\n"
    "  /Ov { mat currentmatrix pop concat translate scale 0 0 1 0 360 arc mat\r\n"
    "  setmatrix } bind def\r\n";

// " " and the number as "%g".
void AppendNumber(std::string* s, double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, " %g", v);
  s->append(buf);
}

// Greedy wrapping at 80 columns, continuation lines indented by two spaces, CR LF ends.
// Built by appending in place: it runs once, but chains of temporary strings draw false
// overlap warnings from some compilers.
std::string WrapProcsetLines(const std::string& text) {
  std::string out, line;
  auto flush = [&] {
    if (!out.empty()) out.append(2, ' ');
    out.append(line);
    out.append("\r\n");
  };
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find(' ', at);
    if (end == std::string::npos) end = text.size();
    const std::string_view word(text.data() + at, end - at);
    at = end + 1;
    const size_t indent = out.empty() ? 0 : 2;
    if (!line.empty() && indent + line.size() + 1 + word.size() > 80) {
      flush();
      line.assign(word);
    } else {
      if (!line.empty()) line.push_back(' ');
      line.append(word);
    }
  }
  if (!line.empty()) flush();
  return out;
}

// The `arrowhead` procedure traced from the arrowhead table: the current point stands at the
// tip, so a filled head is relative linetos from there; the outlined V moves to its first
// point, comes back to the tip and goes on.
std::string ArrowheadProcedure() {
  std::string s =
      "/arrowhead { gsave [] 0 setdash strokeC strokeM strokeY strokeK setcmykcolor 2 copy "
      "moveto 4 2 roll exch 4 -1 roll exch sub 3 1 roll sub exch atan rotate dup scale arrowtype";
  for (int32_t kind = 0; kind < kArrowheadKinds; ++kind) {
    const ArrowheadShape& shape = *ArrowheadShapeOf(kind);
    s.append(" dup");
    AppendNumber(&s, kind);
    s.append(" eq {");
    int32_t next = 1;
    if (!shape.filled) {
      s.append(" currentpoint");
      AppendNumber(&s, shape.points[0].x);
      AppendNumber(&s, shape.points[0].y);
      s.append(" rmoveto lineto");
      next = 2;
    }
    for (int32_t i = next; i < shape.count; ++i) {
      AppendNumber(&s, double(shape.points[i].x) - shape.points[i - 1].x);
      AppendNumber(&s, double(shape.points[i].y) - shape.points[i - 1].y);
      s.append(" rlineto");
    }
    if (shape.filled) {
      s.append(" closepath fill");
    } else {
      AppendNumber(&s, shape.penWidth);
      s.append(" setlinewidth stroke");
    }
    s.append(" } if");
  }
  s += " pop grestore } bind def";
  return WrapProcsetLines(s);
}

}  // namespace

const char* QlxProcsetText() {
  static const std::string text = kBeforeArrowhead + ArrowheadProcedure() + kAfterArrowhead;
  return text.c_str();
}
