#include "vistas.hpp"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

namespace setup {

namespace {

// Geometry is given in twips: 15 to a pixel at 96 dpi; Qt scales for the screen.
int px(int twips) {
    return twips / 15;
}

void colocar(QWidget* w, int left, int top, int ancho, int alto) {
    w->setGeometry(px(left), px(top), px(ancho), px(alto));
}

QFont fuente(const char* familia, double puntos, bool negrita = true) {
    QFont f(QString::fromLatin1(familia));
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(puntos);
    f.setBold(negrita);
    return f;
}

// A label as the windows have them: transparent, bold, MS Sans Serif 9.75.
QLabel* etiqueta(QWidget* padre, const char* nombre, const QString& texto, int left, int top,
                 int ancho, int alto) {
    auto* l = new QLabel(texto, padre);
    l->setObjectName(QString::fromLatin1(nombre));
    l->setAttribute(Qt::WA_TranslucentBackground);
    l->setFont(fuente("Sans Serif", 9.75));
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    colocar(l, left, top, ancho, alto);
    // The system's font may be wider than the one the sizes were made for:
    // a label never cuts its own text.
    if (l->sizeHint().width() > l->width()) l->resize(l->sizeHint().width(), l->height());
    return l;
}

// A button: MS Sans Serif 8.25 bold with a small picture.
QPushButton* boton(QWidget* padre, const char* nombre, const QString& texto,
                   QStyle::StandardPixmap dibujo, int left, int top, int ancho, int alto) {
    auto* b = new QPushButton(padre->style()->standardIcon(dibujo), texto, padre);
    b->setObjectName(QString::fromLatin1(nombre));
    b->setFont(fuente("Sans Serif", 8.25));
    b->setAutoDefault(false);
    colocar(b, left, top, ancho, alto);
    return b;
}

// A window with a title bar and no control box, of a fixed size.
void ventana_fija(QWidget& w, const char* nombre, std::string_view titulo, int ancho, int alto) {
    w.setObjectName(QString::fromLatin1(nombre));
    w.setWindowTitle(platform::qt_text(std::string(titulo)));
    w.setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    w.setFixedSize(px(ancho), px(alto));
}

}  // namespace

void centrar(QWidget& ventana) {
    const QScreen* pantalla =
        ventana.screen() ? ventana.screen() : QGuiApplication::primaryScreen();
    if (!pantalla) return;
    const QRect area = pantalla->geometry();
    const Posicion p = Centrar(area.width(), area.height(), ventana.frameGeometry().width(),
                               ventana.frameGeometry().height());
    ventana.move(area.left() + p.left, area.top() + p.top);
}

frmMainView::frmMainView(frmMain& logica) : logica_(logica) {
    ventana_fija(*this, "frmMain", kTituloMain, 4800, 2100);
    auto* Label1 = etiqueta(this, "Label1", QStringLiteral("Herramienta para Generar Archivos"),
                            120, 120, 4320, 510);
    Label1->setFont(fuente("Arial", 9.75));
    Label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    etiqueta(this, "Label4", QStringLiteral("Seleccione disco"), 120, 600, 5535, 255);
    auto* Label3 = etiqueta(this, "Label3", QString(), 195, 30, 4455, 345);
    Label3->setFont(fuente("Arial", 15.75));
    Label3->setStyleSheet(QStringLiteral("color: #404040;"));
    Drive1_ = new QComboBox(this);
    Drive1_->setObjectName(QStringLiteral("Drive1"));
    colocar(Drive1_, 120, 960, 4575, 315);
    cmdSiguiente_ = boton(this, "cmdSiguiente", QStringLiteral("&Siguiente"),
                          QStyle::SP_ArrowForward, 1440, 1440, 1395, 435);
    cmdCancelar_ = boton(this, "cmdCancelar", QStringLiteral("&Cancelar"),
                         QStyle::SP_DialogCancelButton, 3000, 1440, 1635, 435);

    connect(Drive1_, &QComboBox::activated, this, [this](int i) {
        logica_.Drive1_Change(i);
        refrescar();
    });
    connect(cmdSiguiente_, &QPushButton::clicked, this, [this] {
        if (logica_.cmdSiguiente_Click()) emit siguiente();
    });
    connect(cmdCancelar_, &QPushButton::clicked, this, [this] {
        logica_.cmdCancelar_Click();
        emit cancelar();
    });
}

void frmMainView::refrescar() {
    QSignalBlocker bloqueo(Drive1_);
    if (Drive1_->count() != static_cast<int>(logica_.Drive1.size())) {
        Drive1_->clear();
        for (const auto& u : logica_.Drive1) Drive1_->addItem(QString::fromLocal8Bit(u));
    }
    Drive1_->setCurrentIndex(logica_.Drive1_indice);
}

frmInstaladView::frmInstaladView(frmInstalad& logica) : logica_(logica) {
    ventana_fija(*this, "frmInstalad", kTituloInstalad, 4830, 2925);
    etiqueta(this, "Label1", QStringLiteral("Herramienta para Generar Archivos "), 120, 120, 4680,
             300);
    etiqueta(this, "Label2", QStringLiteral("Directorio de la aplicación"), 120, 600, 2760, 255);
    lblDireccion_ = etiqueta(this, "lblDireccion", QString(), 120, 960, 1800, 255);
    // The folder may be longer than the label: it is elided, the whole in its tip.
    lblDireccion_->setFixedWidth(px(4830 - 240));
    lblEstado_ = etiqueta(this, "lblEstado", QString(), 120, 2160, 5220, 540);
    lblEstado_->setWordWrap(true);
    lblEstado_->setFixedWidth(px(4830 - 240));
    cmdInstalar_ = boton(this, "cmdInstalar", QStringLiteral("&Instalar"),
                         QStyle::SP_DialogApplyButton, 120, 1560, 1515, 435);
    cmdInstalar_->setDefault(true);
    cmdVolver_ = boton(this, "cmdVolver", QStringLiteral("&Volver"), QStyle::SP_ArrowBack, 1800,
                       1560, 1275, 435);
    cmdSalir_ = boton(this, "cmdSalir", QStringLiteral("&Salir"), QStyle::SP_DialogCloseButton,
                      3240, 1560, 1500, 435);

    logica_.repintar = [this] {
        refrescar();
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    };
    logica_.pump = [] {
        static QElapsedTimer ultimo;
        if (!ultimo.isValid() || ultimo.elapsed() > 30) {
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            ultimo.restart();
        }
    };
    logica_.pitido = [] { QApplication::beep(); };

    connect(cmdInstalar_, &QPushButton::clicked, this, [this] {
        cmdInstalar_->setEnabled(false);
        cmdVolver_->setEnabled(false);
        cmdSalir_->setEnabled(false);
        logica_.cmdInstalar_Click();
        cmdSalir_->setEnabled(true);
        refrescar();
    });
    connect(cmdVolver_, &QPushButton::clicked, this, [this] { emit volver(); });
    connect(cmdSalir_, &QPushButton::clicked, this, [this] {
        logica_.cmdSalir_Click();
        emit salir();
    });
}

void frmInstaladView::refrescar() {
    const QString direccion = QString::fromLocal8Bit(logica_.lblDireccion);
    lblDireccion_->setToolTip(direccion);
    lblDireccion_->setText(lblDireccion_->fontMetrics().elidedText(direccion, Qt::ElideMiddle,
                                                                   lblDireccion_->width()));
    lblEstado_->setText(platform::qt_text(logica_.lblEstado));
    cmdInstalar_->setEnabled(logica_.cmdInstalar_enabled);
    cmdVolver_->setEnabled(logica_.cmdVolver_enabled);
    const bool reloj = QApplication::overrideCursor() != nullptr;
    if (logica_.reloj_arena && !reloj)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else if (!logica_.reloj_arena && reloj)
        QApplication::restoreOverrideCursor();
}

Programa::Programa(std::filesystem::path carpeta_setup, std::vector<std::string> unidades,
                   CarpetasUsuario carpetas)
    : carpeta_setup_(std::move(carpeta_setup)),
      carpetas_(std::move(carpetas)),
      main_(compartido_, carpeta_setup_, port_, std::move(unidades)) {}

Programa::~Programa() = default;

void Programa::iniciar() {
    vista_main_ = std::make_unique<frmMainView>(main_);
    connect(vista_main_.get(), &frmMainView::siguiente, this, [this] { mostrar_instalad(); });
    connect(vista_main_.get(), &frmMainView::cancelar, this, [] { QCoreApplication::exit(0); });
    mostrar_main();
}

void Programa::mostrar_main() {
    port_.set_parent(vista_main_.get());
    main_.Form_Load();
    vista_main_->refrescar();
    vista_main_->show();
    centrar(*vista_main_);
}

void Programa::mostrar_instalad() {
    instalad_ = std::make_unique<frmInstalad>(compartido_, carpeta_setup_, carpetas_);
    vista_instalad_ = std::make_unique<frmInstaladView>(*instalad_);
    connect(vista_instalad_.get(), &frmInstaladView::salir, this,
            [] { QCoreApplication::exit(0); });
    connect(vista_instalad_.get(), &frmInstaladView::volver, this, [this] {
        // frmMain shows again (its Load runs), then this window closes.
        port_.set_parent(vista_main_.get());
        instalad_->cmdVolver_Click(main_);
        vista_main_->refrescar();
        vista_main_->show();
        centrar(*vista_main_);
        // The view goes once its click is over; its logic goes with it.
        auto* vista = vista_instalad_.release();
        connect(vista, &QObject::destroyed, [logica = instalad_.release()] { delete logica; });
        vista->hide();
        vista->deleteLater();
    });
    instalad_->Form_Load();
    vista_instalad_->refrescar();
    port_.set_parent(vista_instalad_.get());
    vista_instalad_->show();
    centrar(*vista_instalad_);
    vista_main_->hide();
}

}  // namespace setup
