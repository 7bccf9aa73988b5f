#include "engine/error_name.h"

namespace gv {

namespace {

struct NamedCode {
    uint32_t code;
    const char* name;
};

constexpr uint32_t dd(uint32_t n) {
    return 0x88760000u + n;
}

// The published DirectDraw codes: facility 0x876 with the decimal numbers of
// the headers, plus five generic system codes.
constexpr NamedCode kNames[] = {
    {dd(5), "DDERR_ALREADYINITIALIZED"},
    {dd(574), "DDERR_BLTFASTCANTCLIP"},
    {dd(10), "DDERR_CANNOTATTACHSURFACE"},
    {dd(20), "DDERR_CANNOTDETACHSURFACE"},
    {dd(585), "DDERR_CANTCREATEDC"},
    {dd(583), "DDERR_CANTDUPLICATE"},
    {dd(435), "DDERR_CANTLOCKSURFACE"},
    {dd(640), "DDERR_CANTPAGELOCK"},
    {dd(660), "DDERR_CANTPAGEUNLOCK"},
    {dd(567), "DDERR_CLIPPERISUSINGHWND"},
    {dd(400), "DDERR_COLORKEYNOTSET"},
    {dd(40), "DDERR_CURRENTLYNOTAVAIL"},
    {dd(620), "DDERR_DCALREADYCREATED"},
    {dd(562), "DDERR_DIRECTDRAWALREADYCREATED"},
    {dd(55), "DDERR_EXCEPTION"},
    {dd(581), "DDERR_EXCLUSIVEMODEALREADYSET"},
    {0x80004005u, "DDERR_GENERIC"},
    {dd(90), "DDERR_HEIGHTALIGN"},
    {dd(571), "DDERR_HWNDALREADYSET"},
    {dd(570), "DDERR_HWNDSUBCLASSED"},
    {dd(588), "DDERR_IMPLICITLYCREATED"},
    {dd(95), "DDERR_INCOMPATIBLEPRIMARY"},
    {dd(100), "DDERR_INVALIDCAPS"},
    {dd(110), "DDERR_INVALIDCLIPLIST"},
    {dd(561), "DDERR_INVALIDDIRECTDRAWGUID"},
    {dd(120), "DDERR_INVALIDMODE"},
    {dd(130), "DDERR_INVALIDOBJECT"},
    {0x80070057u, "DDERR_INVALIDPARAMS"},
    {dd(145), "DDERR_INVALIDPIXELFORMAT"},
    {dd(579), "DDERR_INVALIDPOSITION"},
    {dd(150), "DDERR_INVALIDRECT"},
    {dd(592), "DDERR_INVALIDSURFACETYPE"},
    {dd(160), "DDERR_LOCKEDSURFACES"},
    {dd(170), "DDERR_NO3D"},
    {dd(180), "DDERR_NOALPHAHW"},
    {dd(575), "DDERR_NOBLTHW"},
    {dd(205), "DDERR_NOCLIPLIST"},
    {dd(568), "DDERR_NOCLIPPERATTACHED"},
    {dd(210), "DDERR_NOCOLORCONVHW"},
    {dd(215), "DDERR_NOCOLORKEY"},
    {dd(220), "DDERR_NOCOLORKEYHW"},
    {dd(212), "DDERR_NOCOOPERATIVELEVELSET"},
    {dd(586), "DDERR_NODC"},
    {dd(576), "DDERR_NODDROPSHW"},
    {dd(563), "DDERR_NODIRECTDRAWHW"},
    {dd(222), "DDERR_NODIRECTDRAWSUPPORT"},
    {dd(565), "DDERR_NOEMULATION"},
    {dd(225), "DDERR_NOEXCLUSIVEMODE"},
    {dd(230), "DDERR_NOFLIPHW"},
    {dd(240), "DDERR_NOGDI"},
    {dd(569), "DDERR_NOHWND"},
    {dd(591), "DDERR_NOMIPMAPHW"},
    {dd(250), "DDERR_NOMIRRORHW"},
    {dd(578), "DDERR_NOOVERLAYDEST"},
    {dd(260), "DDERR_NOOVERLAYHW"},
    {dd(572), "DDERR_NOPALETTEATTACHED"},
    {dd(573), "DDERR_NOPALETTEHW"},
    {dd(280), "DDERR_NORASTEROPHW"},
    {dd(290), "DDERR_NOROTATIONHW"},
    {dd(310), "DDERR_NOSTRETCHHW"},
    {dd(316), "DDERR_NOT4BITCOLOR"},
    {dd(317), "DDERR_NOT4BITCOLORINDEX"},
    {dd(320), "DDERR_NOT8BITCOLOR"},
    {dd(580), "DDERR_NOTAOVERLAYSURFACE"},
    {dd(330), "DDERR_NOTEXTUREHW"},
    {dd(582), "DDERR_NOTFLIPPABLE"},
    {dd(255), "DDERR_NOTFOUND"},
    {0x800401F0u, "DDERR_NOTINITIALIZED"},
    {dd(584), "DDERR_NOTLOCKED"},
    {dd(680), "DDERR_NOTPAGELOCKED"},
    {dd(589), "DDERR_NOTPALETTIZED"},
    {dd(335), "DDERR_NOVSYNCHW"},
    {dd(340), "DDERR_NOZBUFFERHW"},
    {dd(350), "DDERR_NOZOVERLAYHW"},
    {dd(360), "DDERR_OUTOFCAPS"},
    {0x8007000Eu, "DDERR_OUTOFMEMORY"},
    {dd(380), "DDERR_OUTOFVIDEOMEMORY"},
    {dd(382), "DDERR_OVERLAYCANTCLIP"},
    {dd(384), "DDERR_OVERLAYCOLORKEYONLYONEACTIVE"},
    {dd(577), "DDERR_OVERLAYNOTVISIBLE"},
    {dd(387), "DDERR_PALETTEBUSY"},
    {dd(564), "DDERR_PRIMARYSURFACEALREADYEXISTS"},
    {dd(566), "DDERR_REGIONTOOSMALL"},
    {dd(410), "DDERR_SURFACEALREADYATTACHED"},
    {dd(420), "DDERR_SURFACEALREADYDEPENDENT"},
    {dd(430), "DDERR_SURFACEBUSY"},
    {dd(440), "DDERR_SURFACEISOBSCURED"},
    {dd(450), "DDERR_SURFACELOST"},
    {dd(460), "DDERR_SURFACENOTATTACHED"},
    {dd(470), "DDERR_TOOBIGHEIGHT"},
    {dd(480), "DDERR_TOOBIGSIZE"},
    {dd(490), "DDERR_TOOBIGWIDTH"},
    {0x80004001u, "DDERR_UNSUPPORTED"},
    {dd(510), "DDERR_UNSUPPORTEDFORMAT"},
    {dd(520), "DDERR_UNSUPPORTEDMASK"},
    {dd(590), "DDERR_UNSUPPORTEDMODE"},
    {dd(537), "DDERR_VERTICALBLANKINPROGRESS"},
    {dd(540), "DDERR_WASSTILLDRAWING"},
    {dd(587), "DDERR_WRONGMODE"},
    {dd(560), "DDERR_XALIGN"},
};

} // namespace

const char* ErrorName(uint32_t code) {
    for (const NamedCode& n : kNames)
        if (n.code == code) return n.name;
    return "Unknown Error";
}

int errorNameCount() {
    return int(sizeof kNames / sizeof kNames[0]);
}

} // namespace gv
