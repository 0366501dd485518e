#include "vista.hpp"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QToolButton>
#include <QWindowStateChangeEvent>

#include "pelmo/editor.hpp"
#include "platform/qt_port.hpp"
#include "platform/text.hpp"

namespace pelmo {

namespace {

// Twips to logical pixels; Qt scales logical pixels with the screen.
int px(int twips) {
    return (twips + kTwipsPorPixel / 2) / kTwipsPorPixel;
}
QRect px(Rect r) {
    return QRect(px(r.left), px(r.top), px(r.width), px(r.height));
}
int twips(int pixels) {
    return pixels * kTwipsPorPixel;
}
Rect twips(const QRect& r) {
    return {twips(r.x()), twips(r.y()), twips(r.width()), twips(r.height())};
}

// &H00BBGGRR as a Qt colour.
QColor qcolor(Color c) {
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

QFont fuente(double puntos, bool negrita = false, const char* familia = nullptr) {
    QFont f = QApplication::font();
    if (familia) f.setFamily(QString::fromLatin1(familia));
    f.setPointSizeF(puntos);
    f.setBold(negrita);
    return f;
}
// "Arial Narrow": the condensed sans-serif face.
QFont angosta(double puntos, bool negrita) {
    QFont f = fuente(puntos, negrita, "DejaVu Sans Condensed");
    f.setStretch(QFont::Condensed);
    return f;
}

QString qt(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

QLabel* etiqueta(QWidget* parent, const char* nombre, const QString& texto, Rect r,
                 Qt::Alignment al = Qt::AlignLeft | Qt::AlignVCenter, bool borde = false) {
    auto* l = new QLabel(texto, parent);
    l->setObjectName(QString::fromLatin1(nombre));
    l->setGeometry(px(r));
    l->setAlignment(al);
    l->setWordWrap(true);
    if (borde) {
        l->setFrameShape(QFrame::Box);
        l->setFrameShadow(QFrame::Plain);
    }
    return l;
}

QGroupBox* marco_titulo(QWidget* parent, const char* nombre, const QString& titulo, Rect r,
                        const QFont& f) {
    auto* g = new QGroupBox(titulo, parent);
    g->setObjectName(QString::fromLatin1(nombre));
    g->setGeometry(px(r));
    g->setFont(f);
    QPalette p = g->palette();
    p.setColor(QPalette::WindowText, qcolor(color::azul_oscuro));
    g->setPalette(p);
    g->setStyleSheet(QStringLiteral("QGroupBox{color:#000080;font-weight:bold}"));
    return g;
}

void fondo(QWidget* w, Color c) {
    QPalette p = w->palette();
    p.setColor(QPalette::Base, qcolor(c));
    w->setPalette(p);
}

// The key code the logic's KeyDown takes.
int codigo_tecla(const QKeyEvent* e) {
    switch (e->key()) {
        case Qt::Key_Left:
            return tecla::izquierda;
        case Qt::Key_Up:
            return tecla::arriba;
        case Qt::Key_Right:
            return tecla::derecha;
        case Qt::Key_Down:
            return tecla::abajo;
        case Qt::Key_PageUp:
            return tecla::re_pag;
        case Qt::Key_PageDown:
            return tecla::av_pag;
        case Qt::Key_End:
            return tecla::fin;
        case Qt::Key_Home:
            return tecla::inicio;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return tecla::enter;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return tecla::tab;
        case Qt::Key_Escape:
            return tecla::esc;
        case Qt::Key_Backspace:
            return tecla::retroceso;
        default:
            return e->key() < 256 ? e->key() : 0;
    }
}

// The character the logic's KeyPress takes (Windows-1252), 0 for none.
int caracter(const QKeyEvent* e) {
    switch (e->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return tecla::enter;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return tecla::tab;
        case Qt::Key_Backspace:
            return tecla::retroceso;
        default:
            break;
    }
    if (e->text().isEmpty() || e->text().at(0).isNull() || e->text().at(0).unicode() < 32) return 0;
    const std::string b = platform::utf8_to_cp1252(platform::utf8_of(e->text().left(1)));
    return b.empty() ? 0 : static_cast<unsigned char>(b[0]);
}

// A small picture for a button of the bar.
QIcon icono(int i) {
    const QStyle::StandardPixmap p[] = {
        QStyle::SP_DialogApplyButton, QStyle::SP_FileDialogDetailedView,
        QStyle::SP_DialogResetButton, QStyle::SP_DialogSaveButton,
        QStyle::SP_ArrowBack,         QStyle::SP_FileDialogInfoView};
    return QApplication::style()->standardIcon(p[i]);
}

// The logo: the form's number in a box.
QPixmap logo(QSize s) {
    QPixmap pm(s);
    pm.fill(qcolor(color::azul_oscuro));
    QPainter p(&pm);
    p.setPen(Qt::white);
    p.setFont(fuente(9, true));
    p.drawText(pm.rect(), Qt::AlignCenter, QStringLiteral("DJ 1832"));
    return pm;
}

}  // namespace

// ---- The frame ----

void MarcoVentana::closeEvent(QCloseEvent* e) {
    e->ignore();  // closed only through "&Menú"
}

void MarcoVentana::resizeEvent(QResizeEvent* e) {
    QMainWindow::resizeEvent(e);
    vista_.aplicar_regla();
}

void MarcoVentana::moveEvent(QMoveEvent* e) {
    QMainWindow::moveEvent(e);
    vista_.aplicar_regla();
}

void MarcoVentana::changeEvent(QEvent* e) {
    QMainWindow::changeEvent(e);
    if (e->type() == QEvent::WindowStateChange) vista_.aplicar_regla();
}

// ---- Construction ----

Vista::Vista() {
    marco_ = new MarcoVentana(*this);
    marco_->setObjectName(QStringLiteral("MDIFormDJ"));
    marco_->setWindowTitle(QStringLiteral("F1827"));
    area_ = new QMdiArea(marco_);
    area_->setObjectName(QStringLiteral("MDIClient"));
    area_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    area_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    area_->setBackground(QApplication::palette().brush(QPalette::Dark));
    marco_->setCentralWidget(area_);

    auto hija = [this](Ventana v, const char* nombre) {
        auto* contenido = new QWidget;
        contenido->setObjectName(QString::fromLatin1(nombre));
        auto* sub = area_->addSubWindow(contenido, Qt::FramelessWindowHint);
        sub->setObjectName(QString::fromLatin1(nombre) + QStringLiteral("_ventana"));
        sub->setOption(QMdiSubWindow::RubberBandMove, false);
        hijas_[v] = sub;
        return contenido;
    };
    construir_encabezado(hija(Ventana::frmHeader1832, "frmHeader1832"));
    construir_informados(hija(Ventana::frmInformados, "frmInformados"));
    construir_totales(hija(Ventana::frmTotales, "frmTotales"));
    construir_representante(hija(Ventana::frmRutRepresentateLegal, "frmRutRepresentateLegal"));
    QWidget* relleno = hija(Ventana::frmRelleno, "frmRelleno");
    relleno->setAutoFillBackground(false);
    hijas_[Ventana::frmRelleno]->setAttribute(Qt::WA_TranslucentBackground);
    hijas_[Ventana::frmRelleno]->setStyleSheet(QStringLiteral("background:transparent"));
    for (auto& [v, sub] : hijas_) sub->hide();
    construir_botones();
    construir_errores();

    TKEy_.setObjectName(QStringLiteral("TKEy"));
    connect(&TKEy_, &QTimer::timeout, this, [this] {
        if (editor_) editor_->informados.TKEy_Timer();
    });
}

Vista::~Vista() {
    delete botones_;
    delete errores_;
    delete marco_;
}

QLineEdit* Vista::campo(QWidget* parent, const char* nombre, Foco foco, Rect r) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(nombre));
    e->setGeometry(px(r));
    e->setFont(fuente(8.25));
    e->setTextMargins(1, 0, 1, 0);
    e->installEventFilter(this);
    if (foco.campo != Campo::ninguno) {
        focos_[e] = foco;
        connect(e, &QLineEdit::textEdited, this, [this, e, foco](const QString& t) {
            if (!editor_) return;
            editor_->Change(foco, platform::utf8_to_cp1252(platform::utf8_of(t)));
            (void)e;
            refrescar();
        });
    } else {
        e->setEnabled(false);
        e->setFocusPolicy(Qt::NoFocus);
    }
    return e;
}

void Vista::construir_encabezado(QWidget* w) {
    w->setFixedSize(px(13365), px(3735));
    auto* ImageLogo = new QLabel(w);
    ImageLogo->setObjectName(QStringLiteral("ImageLogo"));
    ImageLogo->setGeometry(px(Rect{0, 0, 1170, 450}));
    ImageLogo->setPixmap(logo(ImageLogo->size()));

    auto* FrameTitulos = new QWidget(w);
    FrameTitulos->setObjectName(QStringLiteral("FrameTitulos"));
    FrameTitulos->setGeometry(px(Rect{1200, 120, 9975, 1200}));
    auto* l0 = etiqueta(FrameTitulos, "Label1_0",
                        qt("Declaración jurada sobre donaciones del artículo 46 del D. L. N ° "
                           "3.063, de 1979; del D. L. N° 45, de 1973; del Articulo 3° de la Ley "
                           "N° 19.247, de 1993; del Articulo 8° de la Ley N° 18.985, de 1990 y "
                           "del N° 7 del Articulo 31° de la Ley sobre Impuesto a la Renta"),
                        {0, 0, 9975, 900}, Qt::AlignCenter);
    l0->setFont(angosta(9.75, true));
    auto* l3 = etiqueta(FrameTitulos, "Label1_3", qt("AÑO TRIBUTARIO 2014"), {0, 900, 9975, 300},
                        Qt::AlignCenter);
    l3->setFont(angosta(11.25, true));
    l3->setStyleSheet(QStringLiteral("color:#000080"));

    const QString resalte =
        QStringLiteral("color:%1").arg(QApplication::palette().color(QPalette::Highlight).name());
    auto* Label9 = etiqueta(w, "Label9", QStringLiteral("F 1832"), {11865, 180, 1200, 300});
    Label9->setFont(fuente(11.25, true));
    auto* Label7 = etiqueta(w, "Label7", QStringLiteral("FOLIO:"), {11280, 720, 840, 240});
    Label7->setFont(fuente(8.25, true));
    lblFolio_ = etiqueta(w, "lblFolio", QString(), {12120, 720, 990, 240},
                         Qt::AlignRight | Qt::AlignVCenter);
    lblFolio_->setFont(fuente(9.75, true));
    for (QLabel* l : {Label9, Label7, lblFolio_}) l->setStyleSheet(resalte);

    auto* FrameDeclarante = marco_titulo(w, "FrameDeclarante",
                                         qt("Sección A: IDENTIFICACION DEL DECLARANTE (Donatario)"),
                                         {120, 1440, 12495, 2175}, angosta(8.25, true));
    struct Def {
        const char* nombre;
        Campo campo;
        Rect r;
        const char* rotulo;
        int ancho_rotulo;
    };
    const Def defs[] = {
        {"txtRutDeclarante",
         Campo::txtRutDeclarante,
         {90, 540, 1395, 285},
         "ROL UNICO TRIBUTARIO",
         1800},
        {"txtDvDeclarante", Campo::txtDvDeclarante, {1545, 540, 255, 285}, nullptr, 0},
        {"txtNombreDeclarante",
         Campo::txtNombreDeclarante,
         {1935, 540, 5925, 285},
         "NOMBRE O RAZON SOCIAL",
         5925},
        {"txtDireccion", Campo::txtDireccion, {90, 1200, 4845, 285}, "DOMICILIO POSTAL", 4845},
        {"txtCorreo", Campo::txtCorreo, {90, 1650, 4845, 285}, "CORREO ELECTRONICO", 4845},
        {"txtFax", Campo::txtFax, {5085, 1650, 1350, 285}, "FAX", 1350},
        {"txtTelefono", Campo::txtTelefono, {6480, 1635, 1350, 285}, "TELEFONO", 1350},
    };
    int k = 0;
    for (const Def& d : defs) {
        QLineEdit* e = campo(FrameDeclarante, d.nombre, {d.campo}, d.r);
        if (d.campo == Campo::txtRutDeclarante || d.campo == Campo::txtDvDeclarante)
            e->setReadOnly(true);
        if (d.campo == Campo::txtCorreo) k = 4;  // 3 is the comuna's caption
        if (d.rotulo) {
            const std::string n = "lbl_Identif_Declarante_" + std::to_string(k++);
            auto* l = etiqueta(FrameDeclarante, n.c_str(), QString::fromLatin1(d.rotulo),
                               {d.r.left, d.r.top - 180, d.ancho_rotulo, 180});
            l->setFont(fuente(6.75, true));
            l->setWordWrap(false);
        }
        if (d.campo == Campo::txtNombreDeclarante) {
            // The comuna's caption sits over the list, after the address's.
            auto* l = etiqueta(FrameDeclarante, "lbl_Identif_Declarante_3", "COMUNA",
                               {5070, 1020, 2760, 180});
            l->setFont(fuente(6.75, true));
        }
    }
    cmbComuna_ = new QComboBox(FrameDeclarante);
    cmbComuna_->setObjectName(QStringLiteral("cmbComuna"));
    cmbComuna_->setGeometry(px(Rect{5070, 1200, 2760, 285}));
    cmbComuna_->setEditable(false);
    cmbComuna_->setFont(fuente(6.75, false, "DejaVu Serif"));
    cmbComuna_->setMaxVisibleItems(20);
    cmbComuna_->installEventFilter(this);
    focos_[cmbComuna_] = {Campo::cmbComuna};
    connect(cmbComuna_, &QComboBox::activated, this, [this](int i) {
        if (editor_) editor_->encabezado.cmbComuna_Click(i);
        refrescar();
    });

    // The type of declaration: disabled, never focused.
    auto* Frame1 = marco_titulo(w, "Frame1", QStringLiteral("TIPO DE DECLARACION"),
                                {8160, 1800, 4200, 1545}, angosta(8.25, true));
    Frame1->setEnabled(false);
    Frame1->setStyleSheet(QStringLiteral(
        "QGroupBox{color:#000080;font-weight:bold} QGroupBox:disabled{color:#000080}"));
    const QFont chica = fuente(6.75, true);
    for (auto [n, t, r] :
         {std::tuple{"Label_Original", "ORIGINAL", Rect{60, 240, 1515, 210}},
          std::tuple{"Label_Rectificatoria", "RECTIFICATORIA", Rect{60, 750, 1515, 210}},
          std::tuple{"Label_Marque", "(MARQUE CON UNA X)", Rect{60, 1020, 1700, 210}},
          std::tuple{"Label_RutAnterior", "RUT ANTERIOR", Rect{1650, 450, 1170, 240}},
          std::tuple{"Label_FolioAnterior", "FOLIO ANTERIOR", Rect{1650, 705, 1170, 240}}}) {
        auto* l = etiqueta(Frame1, n, QString::fromLatin1(t), r);
        l->setFont(chica);
        l->setWordWrap(false);
        QPalette p = l->palette();
        p.setColor(QPalette::Disabled, QPalette::WindowText, Qt::black);
        l->setPalette(p);
    }
    auto gris = [&](const char* n, Rect r) {
        QLineEdit* e = campo(Frame1, n, {}, r);
        e->setFont(fuente(6.75, false, "DejaVu Serif"));
        QPalette p = e->palette();
        p.setColor(QPalette::Disabled, QPalette::Base, qcolor(color::gris_claro));
        p.setColor(QPalette::Disabled, QPalette::Text, Qt::black);
        e->setPalette(p);
        return e;
    };
    txtOriginal_ = gris("txtOriginal", {60, 450, 1515, 240});
    txtOriginal_->setAlignment(Qt::AlignCenter);
    QFont fo = txtOriginal_->font();
    fo.setBold(true);
    txtOriginal_->setFont(fo);
    txtRutAnterior_ = gris("txtRutAnterior", {2850, 450, 1020, 240});
    txtDvAnterior_ = gris("txtDvAnterior", {3900, 450, 240, 240});
    txtDvAnterior_->setMaxLength(1);
    txtFolioAnterior_ = gris("txtFolioAnterior", {2850, 705, 1290, 240});
}

void Vista::construir_representante(QWidget* w) {
    w->setFixedSize(px(4095), px(1080));
    auto* f =
        marco_titulo(w, "FrameRutRepresentanteLegal", QStringLiteral("RUT REPRESENTANTE LEGAL"),
                     {630, 135, 2835, 795}, angosta(8.25, true));
    campo(f, "txtRutRepresentanteLegal", {Campo::txtRutRepresentanteLegal}, {510, 300, 1455, 285});
    campo(f, "txtDvRepresentanteLegal", {Campo::txtDvRepresentanteLegal}, {2025, 300, 375, 285});
}

void Vista::construir_informados(QWidget* w) {
    w->setFixedSize(px(11535), px(1995));
    auto* f =
        marco_titulo(w, "FrameDatosInformados", qt("Sección B: DATOS DE LOS INFORMADOS ( Donante)"),
                     {120, 0, 11535, 1935}, angosta(8.25, true));
    // The frame's caption starts after the "(C4)" in the corner.
    f->setStyleSheet(
        QStringLiteral("QGroupBox{color:#000080;font-weight:bold}"
                       "QGroupBox::title{subcontrol-origin:margin;left:24px}"));
    auto* c4 = etiqueta(w, "Label_C4", QStringLiteral("(C4)"), {0, 0, 420, 200});
    c4->setFont(fuente(6.75));
    c4->raise();
    struct Titulo {
        const char* texto;
        int left, width;
    };
    const Titulo titulos[] = {
        {"    Nº      ", 120, 495},
        {"        RUT DONANTE                        ", 600, 1935},
        {"TEXTO LEGAL BAJO LA CUAL SE EFECTUA LA DONACION", 2520, 3615},
        {"MONTO ANUAL ACTUALIZADO DE LA DONACION VALORIZADA EN DINERO( $)", 6120, 2295},
        {"FECHA RECEPCION DONACION  (DDMMAAAA)", 8400, 1455},
        {"N° CERTIFICADO  O DE COMPROBANTE", 9840, 1455},
    };
    int k = 0;
    for (const Titulo& t : titulos) {
        const std::string n = "Titulo_" + std::to_string(k++);
        auto* l = etiqueta(f, n.c_str(), qt(t.texto).trimmed(), {t.left, 240, t.width, 855},
                           Qt::AlignCenter, true);
        l->setFont(fuente(6.75, true));
    }
    for (int r = 0; r < 3; ++r) {
        const std::string n = "TXTINDICE_" + std::to_string(r);
        TXTINDICE_[r] = campo(f, n.c_str(), {}, {120, kFilasTop[r], 495, 285});
        TXTINDICE_[r]->setAlignment(Qt::AlignCenter);
        QPalette p = TXTINDICE_[r]->palette();
        p.setColor(QPalette::Disabled, QPalette::Base, qcolor(color::gris_claro));
        p.setColor(QPalette::Disabled, QPalette::Text, qcolor(color::gris_oscuro));
        TXTINDICE_[r]->setPalette(p);
        for (int c = 1; c <= 6; ++c) {
            const int i = r * 6 + c;
            const std::string nc = "Cajas_" + std::to_string(i);
            QLineEdit* e = campo(f, nc.c_str(), {Campo::Cajas, i},
                                 {kColumnas[c].left, kFilasTop[r], kColumnas[c].width, 285});
            e->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            e->setContextMenuPolicy(Qt::NoContextMenu);  // the right button clears the line
        }
    }
    Combos_ = new QComboBox(f);
    Combos_->setObjectName(QStringLiteral("Combos_0"));
    Combos_->setFont(fuente(8.25));
    QPalette p = Combos_->palette();
    p.setColor(QPalette::Base, qcolor(color::amarillo_claro));
    p.setColor(QPalette::Button, qcolor(color::amarillo_claro));
    Combos_->setPalette(p);
    Combos_->hide();
    Combos_->installEventFilter(this);
    focos_[Combos_] = {Campo::Combos};
    connect(Combos_, &QComboBox::activated, this, [this](int i) {
        if (!editor_) return;
        editor_->informados.Combos_Click(i);
        refrescar();
    });
}

void Vista::construir_totales(QWidget* w) {
    w->setFixedSize(px(12060), px(1815));
    auto* f =
        marco_titulo(w, "FrameTotales", QStringLiteral("CUADRO RESUMEN FINAL DE LA DECLARACION"),
                     {630, 150, 11295, 1560}, angosta(8.25, true));
    auto* h1 = etiqueta(f, "Label_Monto", QStringLiteral("MONTO ACTUALIZADO DONACIONES"),
                        {1695, 225, 2970, 840}, Qt::AlignHCenter | Qt::AlignTop, true);
    auto* h2 = etiqueta(f, "Label_Casos", qt("Nº DE CASOS INFORMADOS"), {4680, 240, 1680, 840},
                        Qt::AlignHCenter | Qt::AlignTop, true);
    for (QLabel* l : {h1, h2}) {
        l->setFont(fuente(7.5, true));
        l->setContentsMargins(2, 4, 2, 2);
    }
    etiqueta(f, "Label_C6", QStringLiteral("(C6)"), {3000, 705, 500, 240})->setFont(fuente(6.75));
    etiqueta(f, "Label_C8", QStringLiteral("(C8)"), {5280, 720, 500, 240})->setFont(fuente(6.75));
    campo(f, "Totales_1", {Campo::Totales, 1}, {1680, 1095, 2985, 285})
        ->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    campo(f, "Totales_2", {Campo::Totales, 2}, {4680, 1095, 1680, 285})
        ->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

void Vista::construir_botones() {
    botones_ = new QWidget(marco_, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    botones_->setObjectName(QStringLiteral("frmBotones"));
    botones_->setWindowTitle(QStringLiteral(" "));
    botones_->setAttribute(Qt::WA_ShowWithoutActivating);
    botones_->setFixedWidth(px(medida::ancho_botones));
    for (std::size_t i = 0; i < kBotones.size(); ++i) {
        const Boton& b = kBotones[i];
        auto* t = new QToolButton(botones_);
        t->setObjectName(qt(b.nombre));
        QString texto = qt(b.caption);
        const QFontMetrics fm(fuente(8.25, true));
        if (fm.horizontalAdvance(QString(texto).remove(QLatin1Char('&'))) > px(kBotonAncho) - 8)
            texto[texto.lastIndexOf(QLatin1Char(' '))] = QLatin1Char('\n');  // two lines
        t->setText(texto);
        t->setToolTip(qt(b.tooltip));
        t->setIcon(icono(int(i)));
        t->setIconSize(QSize(24, 24));
        t->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        t->setGeometry(px(Rect{kBotonLeft, b.top, kBotonAncho, b.height}));
        t->setFont(fuente(8.25, true));
        t->setAutoRaise(false);
        t->setStyleSheet(
            QStringLiteral("QToolButton{background:#c0c0c0;border:2px outset "
                           "#e0e0e0;} QToolButton:pressed{border-style:inset}"));
        t->setVisible(b.visible);
        t->setFocusPolicy(Qt::StrongFocus);
        t->installEventFilter(this);
        acciones_[t] = int(i);
        focos_[t] = {Campo::boton, int(i)};
        connect(t, &QToolButton::clicked, this, [this, i] {
            if (!editor_) return;
            switch (i) {
                case 0:
                    editor_->cmdValidar_Click();
                    break;
                case 1:
                    editor_->cmdCalcular_Click();
                    break;
                case 2:
                    editor_->cmdLimpiar_Click();
                    break;
                case 3:
                    editor_->cmdGrabar_Click();
                    break;
                case 4:
                    editor_->Salir_Click();
                    break;
                default:
                    editor_->cmdLeyenda_Click();
                    break;
            }
            refrescar();
            terminar_si_corresponde();
        });
    }
}

void Vista::construir_errores() {
    errores_ = new QWidget(marco_, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    errores_->setObjectName(QStringLiteral("frmErrores"));
    errores_->setWindowTitle(QStringLiteral(" "));
    errores_->setAttribute(Qt::WA_ShowWithoutActivating);
    titulo_errores_ =
        etiqueta(errores_, "Label_Titulo", QStringLiteral("Listado de errores encontrados"),
                 {30, 30, 10650, 255}, Qt::AlignLeft | Qt::AlignVCenter, true);
    titulo_errores_->setFont(fuente(8.25, true));
    auto* codigo = etiqueta(errores_, "Label_Codigo", qt("Código"),
                            {45, 300, medida::ancho_codigo, 255}, Qt::AlignCenter, true);
    descripcion_ = etiqueta(errores_, "Label_Descripcion", qt("Descripción"), {870, 300, 9810, 255},
                            Qt::AlignCenter, true);
    for (QLabel* l : {codigo, descripcion_}) l->setFont(fuente(8.25));
    List1_ = new QListWidget(errores_);
    List1_->setObjectName(QStringLiteral("List1"));
    List1_->setGeometry(px(Rect{30, 585, 10650, 690}));
    List1_->setFont(fuente(8.25, false, "DejaVu Sans Mono"));
    focos_[List1_] = {Campo::lista_errores};
    List1_->installEventFilter(this);
    connect(List1_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        if (!editor_ || !item) return;
        editor_->List1_Click(List1_->row(item));
        refrescar();
    });
    construir_leyenda();
}

void Vista::construir_leyenda() {
    leyenda_ = new QDialog(marco_, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint |
                                       Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    leyenda_->setObjectName(QStringLiteral("frmLeyenda"));
    leyenda_->setWindowTitle(qt("Declaraciones Juradas Anuales, Leyenda de Colores"));
    leyenda_->setFixedSize(px(4590), px(3840));
    auto* marco = new QGroupBox(leyenda_);
    marco->setObjectName(QStringLiteral("Frame1"));
    marco->setGeometry(px(Rect{120, 120, 4335, 2850}));
    int top = 300;
    int n = 0;
    for (const FilaLeyenda& f : kFilasLeyenda) {
        const QString sufijo = QString::number(n++);
        auto* muestra =
            etiqueta(marco, "", QStringLiteral("12"), {240, top, 495, 375}, Qt::AlignCenter, true);
        muestra->setObjectName(QStringLiteral("Muestra") + sufijo);
        muestra->setFont(fuente(8.25, true));
        muestra->setAutoFillBackground(true);
        QPalette p = muestra->palette();
        p.setColor(QPalette::Window, qcolor(f.muestra));
        p.setColor(QPalette::WindowText, qcolor(f.letra));
        muestra->setPalette(p);
        auto* texto = etiqueta(marco, "", qt(f.descripcion), {900, top, 3300, 375});
        texto->setObjectName(QStringLiteral("Descripcion") + sufijo);
        texto->setFont(fuente(8.25, true));
        muestra->setVisible(f.visible);
        texto->setVisible(f.visible);
        if (f.visible) top += 600;
    }
    auto* regresar = new QPushButton(QStringLiteral("Regresar"), leyenda_);
    regresar->setObjectName(QStringLiteral("Regresar"));
    regresar->setGeometry(px(Rect{2880, 3105, 1575, 690}));
    regresar->setDefault(true);
    regresar->setAutoDefault(true);
    connect(regresar, &QPushButton::clicked, this, [this] {
        if (editor_) editor_->Regresar_Click();
        refrescar();
    });
    // The close box and Escape return as "Regresar" does.
    connect(leyenda_, &QDialog::rejected, this, [this] {
        if (editor_ && editor_->frmLeyenda_visible) editor_->Regresar_Click();
        refrescar();
    });
}

void Vista::enlazar(Editor& editor) {
    editor_ = &editor;
}

// ---- The screen the logic drives ----

QWidget* Vista::widget(Foco f) const {
    for (const auto& [w, foco] : focos_)
        if (foco == f) return static_cast<QWidget*>(w);
    return nullptr;
}

void Vista::DesplazaVentana(int t) {
    QScrollBar* v = area_->verticalScrollBar();
    QScrollBar* h = area_->horizontalScrollBar();
    switch (t) {
        case tecla::re_pag:
            v->triggerAction(QAbstractSlider::SliderPageStepSub);
            break;
        case tecla::av_pag:
            v->triggerAction(QAbstractSlider::SliderPageStepAdd);
            break;
        case tecla::fin:
            v->triggerAction(QAbstractSlider::SliderToMaximum);
            break;
        case tecla::inicio:
            v->triggerAction(QAbstractSlider::SliderToMinimum);
            for (int k = 0; k < 12; ++k) h->triggerAction(QAbstractSlider::SliderSingleStepSub);
            break;
        case tecla::izquierda:
            h->triggerAction(QAbstractSlider::SliderSingleStepSub);
            break;
        case tecla::arriba:
            v->triggerAction(QAbstractSlider::SliderSingleStepSub);
            break;
        case tecla::derecha:
            h->triggerAction(QAbstractSlider::SliderSingleStepAdd);
            break;
        case tecla::abajo:
            v->triggerAction(QAbstractSlider::SliderSingleStepAdd);
            break;
        default:
            break;
    }
}

void Vista::enfocar(Foco f) {
    refrescar();
    if (QWidget* w = widget(f)) {
        w->setFocus(Qt::OtherFocusReason);
        if (auto* e = qobject_cast<QLineEdit*>(w)) e->selectAll();
    }
}

void Vista::colocar(Ventana v, Rect r) {
    QWidget* w = nullptr;
    if (v == Ventana::MDIFormDJ) {
        marco_->setWindowState(Qt::WindowNoState);
        w = marco_;
    } else if (v == Ventana::frmBotones) {
        w = botones_;
    } else if (v == Ventana::frmErrores) {
        w = errores_;
    }
    if (w) {
        // Sizes are the outer sizes, title bar and borders included, which
        // are known once the window is shown.
        w->show();
        const QSize borde = w->frameGeometry().size() - w->size();
        w->move(px(r.left), px(r.top));
        const QSize s(std::max(1, px(r.width) - borde.width()),
                      std::max(1, px(r.height) - borde.height()));
        if (w == botones_)
            w->setFixedSize(s);
        else
            w->resize(s);
        return;
    }
    QMdiSubWindow* sub = hijas_.at(v);
    sub->setGeometry(px(r));
    sub->show();
}

void Vista::ocupado(bool activo) {
    if (activo == ocupado_) return;
    ocupado_ = activo;
    if (activo)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

// The frame's client area rather than the frame: the satellites and the legend
// are windows owned by the frame and would be disabled with it.
void Vista::habilitar(bool activo) {
    area_->setEnabled(activo);
    botones_->setEnabled(activo);
}

void Vista::beep() {
    QApplication::beep();
}

void Vista::eventos() {
    static QElapsedTimer ultimo;
    if (!ultimo.isValid() || ultimo.elapsed() > 30) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        ultimo.restart();
    }
}

void Vista::temporizador(bool activo, int intervalo_ms) {
    if (activo)
        TKEy_.start(intervalo_ms);
    else
        TKEy_.stop();
}

void Vista::aplicar_regla() {
    if (!editor_ || aplicando_ || !editor_->marco.FormaLista) return;
    aplicando_ = true;
    auto estado = [](QWidget* w) {
        if (w->windowState() & Qt::WindowMinimized) return Estado::minimizada;
        if (w->windowState() & Qt::WindowMaximized) return Estado::maximizada;
        return Estado::normal;
    };
    Satelites s;
    s.marco = {estado(marco_), twips(marco_->frameGeometry())};
    // Maximised is the screen's work area, whether or not the window manager
    // has resized the frame yet.
    if (s.marco.estado == Estado::maximizada && marco_->screen())
        s.marco.r = twips(marco_->screen()->availableGeometry());
    s.botones = {estado(botones_), twips(botones_->frameGeometry())};
    s.errores = {estado(errores_), twips(errores_->frameGeometry())};
    const Satelites antes = s;
    editor_->marco.Form_Resize(s);
    auto aplicar = [](QWidget* w, const VentanaTop& a, const VentanaTop& d) {
        if (d.estado != a.estado) {
            if (d.estado == Estado::minimizada)
                w->showMinimized();
            else
                w->showNormal();
        }
        if (d.estado == Estado::normal && d.r != a.r) {
            const QSize borde = w->frameGeometry().size() - w->size();
            w->move(px(d.r.left), px(d.r.top));
            const QSize tam(std::max(1, px(d.r.width) - borde.width()),
                            std::max(1, px(d.r.height) - borde.height()));
            if (w->minimumSize() == w->maximumSize())
                w->setFixedSize(tam);
            else
                w->resize(tam);
        }
    };
    aplicar(marco_, antes.marco, s.marco);
    aplicar(botones_, antes.botones, s.botones);
    aplicar(errores_, antes.errores, s.errores);
    if (s.ancho_lista > 0) {
        List1_->resize(px(s.ancho_lista), List1_->height());
        titulo_errores_->resize(px(s.ancho_titulo), titulo_errores_->height());
        descripcion_->resize(px(s.ancho_descripcion), descripcion_->height());
    }
    aplicando_ = false;
}

void Vista::terminar_si_corresponde() {
    if (editor_ && editor_->terminado) QCoreApplication::exit(0);
}

// ---- Events of the fields ----

bool Vista::eventFilter(QObject* watched, QEvent* event) {
    auto it = focos_.find(watched);
    if (!editor_ || it == focos_.end()) return QObject::eventFilter(watched, event);
    const Foco f = it->second;
    switch (event->type()) {
        case QEvent::FocusIn: {
            // A window coming to the front gives its focus back: no control
            // is entered or left by that.
            const Qt::FocusReason razon = static_cast<QFocusEvent*>(event)->reason();
            if (editor_->foco != f && razon != Qt::ActiveWindowFocusReason &&
                razon != Qt::PopupFocusReason)
                editor_->enfocar(f);
            refrescar();
            if (auto* e = qobject_cast<QLineEdit*>(watched))
                QTimer::singleShot(0, e, [e] { e->selectAll(); });
            break;
        }
        case QEvent::FocusOut:
            // A box without the focus shows no selection.
            if (auto* e = qobject_cast<QLineEdit*>(watched)) e->deselect();
            break;
        case QEvent::KeyPress: {
            auto* k = static_cast<QKeyEvent*>(event);
            if (f.campo == Campo::boton || f.campo == Campo::lista_errores ||
                f.campo == Campo::Combos)
                break;
            const int vk = codigo_tecla(k);
            const Foco antes = editor_->foco;
            editor_->KeyDown(f, vk);
            bool consumir = editor_->foco != antes;
            int ascii = caracter(k);
            if (ascii != 0) {
                int dado = ascii;
                editor_->KeyPress(f, dado);
                if (dado == 0) {
                    consumir = true;
                } else if (dado != ascii) {
                    refrescar();
                    if (auto* e = qobject_cast<QLineEdit*>(watched)) {
                        e->insert(platform::qt_text_cp1252(std::string(1, char(dado))));
                        editor_->Change(f, platform::utf8_to_cp1252(platform::utf8_of(e->text())));
                    }
                    consumir = true;
                }
            }
            // Arrows of the grid are the grid's own.
            if (f.campo == Campo::Cajas && (vk == tecla::izquierda || vk == tecla::derecha ||
                                            vk == tecla::arriba || vk == tecla::abajo))
                consumir = true;
            refrescar();
            if (consumir) return true;
            break;
        }
        case QEvent::MouseButtonPress: {
            auto* m = static_cast<QMouseEvent*>(event);
            if (f.campo == Campo::Cajas && m->button() == Qt::RightButton) {
                editor_->informados.Cajas_BotonDerecho(f.indice);
                refrescar();
                return true;
            }
            break;
        }
        case QEvent::MouseButtonRelease: {
            auto* m = static_cast<QMouseEvent*>(event);
            if (f.campo == Campo::Cajas && m->button() == Qt::LeftButton) {
                editor_->informados.Cajas_Click(f.indice);
                refrescar();
            }
            break;
        }
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

// ---- The logic's state in the widgets ----

void Vista::refrescar() {
    if (!editor_) return;
    Editor& e = *editor_;
    marco_->setWindowTitle(platform::qt_text_cp1252(e.marco.Caption));
    for (const auto& [obj, f] : focos_) {
        auto* le = qobject_cast<QLineEdit*>(obj);
        if (!le) continue;
        const Caja* c = e.caja(f);
        if (!c) continue;
        // Setting a text or a length limit moves the cursor to the end and
        // drops the selection, so only what changed is set.
        const QString t = platform::qt_text_cp1252(c->texto);
        const int limite = c->max_largo > 0 ? c->max_largo : 32767;
        if (le->text() != t) {
            le->setMaxLength(32767);
            le->setText(t);
        }
        if (le->maxLength() != limite) le->setMaxLength(limite);
        if (le->palette().color(QPalette::Base) != qcolor(c->fondo)) fondo(le, c->fondo);
    }
    const Encabezado& h = e.encabezado;
    lblFolio_->setText(platform::qt_text_cp1252(h.lblFolio));
    txtOriginal_->setText(platform::qt_text_cp1252(h.txtOriginal.texto));
    txtRutAnterior_->setText(platform::qt_text_cp1252(h.txtRutAnterior.texto));
    txtDvAnterior_->setText(platform::qt_text_cp1252(h.txtDvAnterior.texto));
    txtFolioAnterior_->setText(platform::qt_text_cp1252(h.txtFolioAnterior.texto));
    if (cmbComuna_->count() != int(h.cmbComuna.size())) {
        QSignalBlocker b(cmbComuna_);
        cmbComuna_->clear();
        for (const auto& c : h.cmbComuna) cmbComuna_->addItem(platform::qt_text_cp1252(c));
    }
    {
        QSignalBlocker b(cmbComuna_);
        cmbComuna_->setCurrentIndex(h.cmbComuna_indice);
    }
    const Informados& g = e.informados;
    for (int r = 0; r < 3; ++r) TXTINDICE_[r]->setText(platform::qt_text_cp1252(g.TXTINDICE[r]));
    if (Combos_->count() != int(g.Combos.size())) {
        QSignalBlocker b(Combos_);
        Combos_->clear();
        for (const auto& c : g.Combos) Combos_->addItem(platform::qt_text_cp1252(c));
    }
    if (g.Combos_visible) {
        QSignalBlocker b(Combos_);
        Combos_->setCurrentIndex(g.Combos_indice);
        Combos_->setGeometry(px(g.Combos_rect));
        Combos_->raise();
        Combos_->show();
    } else {
        Combos_->hide();
    }
    QStringList lineas;
    for (const auto& l : e.errores.List1) lineas << platform::qt_text_cp1252(l);
    bool igual = List1_->count() == lineas.size();
    for (int i = 0; igual && i < lineas.size(); ++i) igual = List1_->item(i)->text() == lineas[i];
    if (!igual) {
        List1_->clear();
        List1_->addItems(lineas);
    }
    for (QLineEdit* le : {txtOriginal_, txtRutAnterior_, txtDvAnterior_, txtFolioAnterior_}) {
        const Caja& c = le == txtOriginal_      ? h.txtOriginal
                        : le == txtRutAnterior_ ? h.txtRutAnterior
                        : le == txtDvAnterior_  ? h.txtDvAnterior
                                                : h.txtFolioAnterior;
        if (le->palette().color(QPalette::Base) != qcolor(c.fondo)) fondo(le, c.fondo);
    }
    if (cmbComuna_->palette().color(QPalette::Base) != qcolor(h.cmbComuna_fondo)) {
        QPalette p = cmbComuna_->palette();
        p.setColor(QPalette::Base, qcolor(h.cmbComuna_fondo));
        p.setColor(QPalette::Button, qcolor(h.cmbComuna_fondo));
        cmbComuna_->setPalette(p);
    }
    habilitar(e.MDIFormDJ_habilitado);
    if (e.frmLeyenda_visible && !leyenda_->isVisible()) {
        const QRect pantalla = marco_->screen()->availableGeometry();
        leyenda_->move(pantalla.center() - leyenda_->rect().center());
        leyenda_->show();
        leyenda_->raise();
        leyenda_->activateWindow();
    } else if (!e.frmLeyenda_visible && leyenda_->isVisible()) {
        leyenda_->hide();
    }
}

}  // namespace pelmo
