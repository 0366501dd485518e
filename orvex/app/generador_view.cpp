#include "generador_view.hpp"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "platform/qt_port.hpp"

namespace orvex {

namespace {

QLabel* etiqueta(QWidget* parent, const char* nombre, const QString& texto, bool ajustar = false) {
    auto* l = new QLabel(texto, parent);
    l->setObjectName(QString::fromLatin1(nombre));
    l->setWordWrap(ajustar);
    return l;
}

QGroupBox* marco(QWidget* parent, const char* nombre, const QString& titulo) {
    auto* g = new QGroupBox(titulo, parent);
    g->setObjectName(QString::fromLatin1(nombre));
    return g;
}

const QString kFlechaAbajo = QStringLiteral("   |   \\/");

// The instruction labels of "LEER ESTAS INSTRUCCIONES ", in their order.
const std::pair<const char*, const char*> kInstrucciones[] = {
    {"Label19",
     "- Todos lor registros deben tener el Mismo Largo y deben incluirse todos los tipo de "
     "registros que se indican (1,2 y 3)"},
    {"Label14",
     "- Registro Tipo 3 (Cuadro de Resumen de la declaración ): Código de Presentación debe ser M "
     "y Fecha de Presentación: Fecha 00   0000"},
    {"Label3",
     "- Registro Tipo 1 (Datos de la Declaración y del Declarante) ,el código de Presentación debe "
     "ser igual a M"},
    {"Label17", "- Los datos FECHAS y no corresponde su llenado, deberan grabarse como  01011900"},
    {"Label5",
     "- FOLIO es EERRRnn, donde EE=80,RRR=2,3 y 4 Dígito RUT Declarante(de izquierda a "
     "derecha),nn=correlativo, se inicia en 01"},
    {"Label12",
     "- Registro Tipo 2 (Datos de los Declarados), todas las líneas deben tener el mismo Número de "
     "Formulario, Código de Presentación (igual a M), Número de Folio, Tipo de Declaración y Rut "
     "del Declarante."},
    {"Label11", "- Todas las letras \"K\" deben estar MAYUSCULA."},
    {"Label10",
     "- Los datos ALFANUMERICOS deben estar alineados a la izquierda y rellenos con blancos por la "
     "derecha."},
    {"Label9",
     "- Los datos ALFABETICOS deben estar en mayúscula, alineados a la izquierda y rellenos con "
     "blancos por la derecha."},
    {"Label7",
     "- Los datos NUMERICOS  debe ser enteros alineados a la derecha y rellenos con ceros por la "
     "izquierda."},
    {"Label8", "- El Archivo generado por el Declarante, no debe incluir el REGISTRO 0  "},
};

const char* kCierre =
    "Una vez generado el Archivo para Internet sin errores, ingrese al menú \"Declaraciones "
    "Juradas\" del sitio web de KAV, elija la opción \"Envío de Declaraciones Juradas "
    "Mediante Software\", vaya a la subcarpeta GEN_2018/zip y envíe el archivo desde allí.";

}  // namespace

GeneradorView::GeneradorView(Generador& logica, QWidget* parent)
    : QDialog(parent), logica_(logica) {
    setObjectName(QStringLiteral("Generador"));
    setWindowTitle(QStringLiteral("GENERADOR DE ARCHIVO AT 2018. (V.1.6)"));
    setModal(true);

    // The steps on the left, the instructions on the right, the footer below.
    auto* cuerpo = new QHBoxLayout;
    cuerpo->addLayout(construir_pasos(), 5);
    cuerpo->addWidget(construir_instrucciones(), 3);
    auto* todo = new QVBoxLayout(this);
    todo->addLayout(cuerpo, 1);
    todo->addLayout(construir_pie());
    resize(1040, 700);
    conectar();
}

// The three steps, top to bottom with arrows between them, and the closing
// instruction.
QGridLayout* GeneradorView::construir_pasos() {
    // Step 1: form and tax year.
    auto* Frame7 = marco(this, "Frame7", QStringLiteral("Seleccionar un Formulario"));
    ListDj_ = new QListWidget(Frame7);
    ListDj_->setObjectName(QStringLiteral("ListDj"));
    lblglosaform_ = etiqueta(Frame7, "lblglosaform", QString(), true);
    auto* f7 = new QVBoxLayout(Frame7);
    f7->addWidget(ListDj_);
    f7->addWidget(lblglosaform_);

    auto* Frame8 = marco(this, "Frame8", QStringLiteral("Seleccionar Año Tributario"));
    CmbAnot_ = new QComboBox(Frame8);
    CmbAnot_->setObjectName(QStringLiteral("CmbAnot"));
    CmbAnot_->setEditable(false);
    auto* f8 = new QVBoxLayout(Frame8);
    f8->addWidget(etiqueta(Frame8, "Label18", QStringLiteral("Año Tributario")));
    f8->addWidget(CmbAnot_);
    f8->addStretch();

    // Step 2: the declaration file, and the review.
    auto* Frame5 = marco(this, "Frame5", QStringLiteral("Seleccionar un Archivo"));
    txt_archivo_ = new QLineEdit(Frame5);
    txt_archivo_->setObjectName(QStringLiteral("txt_archivo"));
    cmd_buscar_ = new QPushButton(QStringLiteral("&Explorar"), Frame5);
    cmd_buscar_->setObjectName(QStringLiteral("cmd_buscar"));
    cmd_buscar_->setAutoDefault(false);
    auto* f5 = new QHBoxLayout(Frame5);
    f5->addWidget(txt_archivo_, 1);
    f5->addWidget(cmd_buscar_);
    Cmd_Generar_ = new QPushButton(QStringLiteral("Revisar y Generar Archivo para Internet"), this);
    Cmd_Generar_->setObjectName(QStringLiteral("Cmd_Generar"));
    Cmd_Generar_->setAutoDefault(false);

    // Step 3: reference documents.
    auto* Frame1 = marco(this, "Frame1", QStringLiteral("Seleccionar un Documento"));
    Opt_FmtReg_ = new QRadioButton(QStringLiteral("Formato de Registros"), Frame1);
    Opt_FmtReg_->setObjectName(QStringLiteral("Opt_FmtReg"));
    Opt_SetVal_ = new QRadioButton(QStringLiteral("Validaciones de Formato"), Frame1);
    Opt_SetVal_->setObjectName(QStringLiteral("Opt_SetVal"));
    Opt_InstGral_ = new QRadioButton(QStringLiteral("Instrucciones Generales"), Frame1);
    Opt_InstGral_->setObjectName(QStringLiteral("Opt_InstGral"));
    Cmd_Editar_ = new QPushButton(QStringLiteral("Editar"), Frame1);
    Cmd_Editar_->setObjectName(QStringLiteral("Cmd_Editar"));
    Cmd_Editar_->setAutoDefault(false);
    auto* f1 = new QGridLayout(Frame1);
    f1->addWidget(Opt_FmtReg_, 0, 0);
    f1->addWidget(Opt_SetVal_, 1, 0);
    f1->addWidget(Opt_InstGral_, 2, 0);
    f1->addWidget(Cmd_Editar_, 1, 1);

    auto* Label4 = etiqueta(this, "Label4", QString::fromUtf8(kCierre), true);

    auto* pasos = new QGridLayout;
    pasos->addWidget(Frame7, 0, 0);
    pasos->addWidget(etiqueta(this, "Label6", QStringLiteral("-------->")), 0, 1, Qt::AlignCenter);
    pasos->addWidget(Frame8, 0, 2);
    pasos->addWidget(etiqueta(this, "Label1", kFlechaAbajo), 1, 0, Qt::AlignHCenter);
    pasos->addWidget(Frame5, 2, 0);
    pasos->addWidget(etiqueta(this, "Label15", QStringLiteral("------>")), 2, 1, Qt::AlignCenter);
    pasos->addWidget(Cmd_Generar_, 2, 2);
    pasos->addWidget(etiqueta(this, "Label2", kFlechaAbajo), 3, 0, Qt::AlignHCenter);
    pasos->addWidget(Frame1, 4, 0);
    pasos->addWidget(etiqueta(this, "Label16", kFlechaAbajo), 5, 0, Qt::AlignHCenter);
    pasos->addWidget(Label4, 6, 0, 1, 3);
    pasos->setColumnStretch(0, 1);
    Frame8->setMaximumWidth(Cmd_Generar_->sizeHint().width() + 20);
    pasos->setRowStretch(0, 1);

    return pasos;
}

QGroupBox* GeneradorView::construir_instrucciones() {
    auto* Frame2 =
        marco(this, "Frame2", QStringLiteral("Instrucciones para poder Construir los Archivos"));
    auto* Frame3 = marco(Frame2, "Frame3", QStringLiteral("LEER ESTAS INSTRUCCIONES "));
    auto* f3 = new QVBoxLayout(Frame3);
    for (const auto& [nombre, texto] : kInstrucciones)
        f3->addWidget(etiqueta(Frame3, nombre, QString::fromUtf8(texto), true));
    f3->addStretch();
    auto* f2 = new QVBoxLayout(Frame2);
    f2->addWidget(Frame3);

    return Frame2;
}

// The picture, the open-file mark, progress and status, and "Salir".
QHBoxLayout* GeneradorView::construir_pie() {
    prueba_ = new QLineEdit(this);
    prueba_->setObjectName(QStringLiteral("prueba"));
    prueba_->setReadOnly(true);
    prueba_->setMaximumWidth(60);
    auto* Picture1 = new QFrame(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setFixedSize(32, 32);
    CmdSalir_ = new QPushButton(QStringLiteral("Salir"), this);
    CmdSalir_->setObjectName(QStringLiteral("CmdSalir"));
    CmdSalir_->setAutoDefault(false);
    progreso_ = new QProgressBar(this);
    progreso_->setObjectName(QStringLiteral("progreso"));
    progreso_->setRange(0, 1000);
    progreso_->setTextVisible(false);
    progreso_->setVisible(false);
    estado_ = etiqueta(this, "estado", QString());

    auto* pie = new QHBoxLayout;
    pie->addWidget(Picture1);
    pie->addWidget(prueba_);
    pie->addWidget(progreso_, 1);
    pie->addWidget(estado_, 1);
    pie->addStretch();
    pie->addWidget(CmdSalir_);

    return pie;
}

// The widgets' events to the logic's handlers, and the logic's hooks for long work.
void GeneradorView::conectar() {
    // A choice by mouse or keys selects the entry; the focus alone only marks it.
    connect(ListDj_, &QListWidget::itemSelectionChanged, this, [this] {
        logica_.ListDj_Click(ListDj_->currentRow());
        refrescar();
    });
    connect(CmbAnot_, &QComboBox::activated, this, [this](int i) {
        logica_.CmbAnot_Click(i);
        refrescar();
    });
    connect(cmd_buscar_, &QPushButton::clicked, this, [this] {
        logica_.cmd_buscar_Click();
        refrescar();
    });
    connect(txt_archivo_, &QLineEdit::textEdited, this,
            [this](const QString& t) { logica_.txt_archivo_Change(platform::utf8_of(t)); });
    connect(Opt_FmtReg_, &QRadioButton::clicked, this, [this] {
        logica_.Opt_Click(Generador::Documento::formato_registros);
        refrescar();
    });
    connect(Opt_SetVal_, &QRadioButton::clicked, this, [this] {
        logica_.Opt_Click(Generador::Documento::validaciones);
        refrescar();
    });
    connect(Opt_InstGral_, &QRadioButton::clicked, this, [this] {
        logica_.Opt_Click(Generador::Documento::instrucciones);
        refrescar();
    });
    connect(Cmd_Editar_, &QPushButton::clicked, this, [this] { logica_.Cmd_Editar_Click(); });
    connect(Cmd_Generar_, &QPushButton::clicked, this, [this] { generar(); });
    connect(CmdSalir_, &QPushButton::clicked, this, [this] {
        logica_.CmdSalir_Click();
        reject();
    });
    CmbAnot_->installEventFilter(this);
    txt_archivo_->installEventFilter(this);
    ListDj_->installEventFilter(this);

    // Long work keeps the window painted but takes no input meanwhile.
    logica_.pump = [] {
        static QElapsedTimer ultimo;
        if (!ultimo.isValid() || ultimo.elapsed() > 30) {
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            ultimo.restart();
        }
    };
    logica_.progreso = [this](std::uint64_t hecho, std::uint64_t total) {
        mostrar_progreso(hecho, total);
    };
    logica_.estado = [this](const std::string& texto) {
        if (!texto.empty())
            estado_->setText(platform::qt_text(texto));
        else
            estado_->setText(progreso_->isVisible() ? QStringLiteral("Revisando y generando…")
                                                    : QString());
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    };
}

void GeneradorView::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Escape:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            event->accept();
            return;
        default:
            QDialog::keyPressEvent(event);
    }
}

bool GeneradorView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ListDj_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Down && logica_.ListDj_indice < 0 &&
        ListDj_->count() > 0) {
        // With nothing chosen, the first Down chooses the first form (the
        // list's current row may already stand on it without choosing it).
        ListDj_->setCurrentRow(0);
        return true;
    }
    if (watched == txt_archivo_ && event->type() == QEvent::KeyPress) {
        // The handler sees the text before the key takes effect.
        logica_.txt_archivo_Change(platform::utf8_of(txt_archivo_->text()));
        logica_.txt_archivo_KeyPress();
        refrescar();
    } else if (event->type() == QEvent::FocusOut) {
        if (watched == txt_archivo_) {
            logica_.txt_archivo_Change(platform::utf8_of(txt_archivo_->text()));
            logica_.txt_archivo_LostFocus();
        } else if (watched == CmbAnot_) {
            logica_.CmbAnot_LostFocus();
        }
        refrescar();
    }
    return QDialog::eventFilter(watched, event);
}

void GeneradorView::refrescar() {
    if (ListDj_->count() != static_cast<int>(logica_.ListDj.size())) {
        QSignalBlocker bloqueo(ListDj_);
        ListDj_->clear();
        for (const auto& e : logica_.ListDj) ListDj_->addItem(platform::qt_text_cp1252(e));
    }
    if (CmbAnot_->count() != static_cast<int>(logica_.CmbAnot.size())) {
        QSignalBlocker bloqueo(CmbAnot_);
        CmbAnot_->clear();
        for (const auto& a : logica_.CmbAnot) CmbAnot_->addItem(platform::qt_text_cp1252(a));
    }
    {
        QSignalBlocker bloqueo(CmbAnot_);
        CmbAnot_->setCurrentIndex(logica_.CmbAnot_indice);
    }
    lblglosaform_->setText(platform::qt_text_cp1252(logica_.lblglosaform));
    CmbAnot_->setEnabled(logica_.CmbAnot_enabled);
    if (platform::utf8_of(txt_archivo_->text()) != logica_.txt_archivo)
        txt_archivo_->setText(platform::qt_text(logica_.txt_archivo));
    cmd_buscar_->setEnabled(logica_.cmd_buscar_enabled);
    Cmd_Generar_->setEnabled(logica_.Cmd_Generar_enabled);
    Cmd_Editar_->setEnabled(logica_.Cmd_Editar_enabled);
    prueba_->setText(platform::qt_text(logica_.prueba));
}

void GeneradorView::mostrar_progreso(std::uint64_t hecho, std::uint64_t total) {
    if (!progreso_->isVisible()) {
        progreso_->setVisible(true);
        estado_->setText(QStringLiteral("Revisando y generando…"));
    }
    if (total > 0) progreso_->setValue(static_cast<int>(hecho * 1000 / total));
    prueba_->setText(platform::qt_text(logica_.prueba));
}

void GeneradorView::generar() {
    logica_.txt_archivo_Change(platform::utf8_of(txt_archivo_->text()));
    logica_.Cmd_Generar_Click();
    progreso_->setVisible(false);
    estado_->clear();
    refrescar();
}

}  // namespace orvex
