#include "editor/read_first_tab.h"

#include <QTextBrowser>

namespace gv::editor {

namespace {

const char* const kPage = R"(
<h2>Geovista 3D</h2>
<p>Geovista 3D shows the Earth as a lit globe floating in space, turning in real
time: the sun lights the half that faces it at this very moment, the moon stands
where it stands, real satellite clouds can be laid over the globe, and the places
you choose are marked with their names and their approximate local time.</p>
<p>It runs as a screen saver, in the small preview of the screen-saver settings and
as an ordinary full-screen or windowed program. This window sets everything it
does before it starts.</p>

<h3>The tabs</h3>
<ul>
<li><b>Options</b>: the display, the cameras, the Earth, the sun, the moon and
stars, the clouds, the on-screen texts and the clock.
<i>Defaults</i> brings back the factory options.</li>
<li><b>Locations</b>: every place the globe knows. Search a place by typing the
start of its name, press <i>show &gt;&gt;</i> (or Enter, or double-click) to show it
on the globe, add your own places with <i>new</i>, change them with
<i>update</i>, delete them with <i>remove</i>, or import the places of another
Geovista 3D database with <i>import...</i>.</li>
</ul>
<p>Nothing is written until you press <b>OK</b>. <b>Cancel</b> forgets every change.
<b>Reset</b> brings back the factory options and places at once.</p>

<h3>Files</h3>
<p>Both this editor and the globe keep their files in the program folder:</p>
<table cellspacing="4">
<tr><td><tt>geovista.cfg</tt></td><td>every option</td></tr>
<tr><td><tt>geovista.loc</tt></td><td>the places (the built-in list of 1306 when it is missing)</td></tr>
<tr><td><tt>geovista.sel</tt></td><td>the places shown on the globe</td></tr>
</table>
<p>Program folder: <tt>%1</tt></p>
<p>The globe reads them when it starts and writes them when it ends, so close the
globe before you change anything here.</p>

<h3>Keys of the globe</h3>
<table cellspacing="4">
<tr><td>F1</td><td>help panel with every key</td></tr>
<tr><td>F2</td><td>screenshot</td></tr>
<tr><td>F3</td><td>options overlay (arrows to choose and change, Enter to apply)</td></tr>
<tr><td>F4</td><td>locations manager</td></tr>
<tr><td>F5 / F6</td><td>camera nearer / farther</td></tr>
<tr><td>F7 / F8</td><td>previous / next camera</td></tr>
<tr><td>F9 / F10</td><td>clouds on the globe / on the locations manager</td></tr>
<tr><td>F11 / F12</td><td>orbit speed down / up</td></tr>
<tr><td>+ / -</td><td>ambient light</td></tr>
<tr><td>left-drag</td><td>steers the user view</td></tr>
<tr><td>Escape</td><td>closes an overlay, else quits</td></tr>
</table>
<p>As a conventional screen saver any key or mouse movement ends it; in the
enhanced mode the keys above work and only Escape ends it.</p>
)";

} // namespace

QWidget* makeReadFirstTab(const QString& programFolder, QWidget* parent) {
    auto* page = new QTextBrowser(parent);
    page->setObjectName("readFirst");
    page->setOpenLinks(false);
    page->setHtml(QString::fromUtf8(kPage).arg(programFolder.toHtmlEscaped()));
    return page;
}

} // namespace gv::editor
