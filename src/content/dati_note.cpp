#include "content/documents.h"

namespace scenario {

namespace {

// The author's notes on the run, hard-wrapped by hand; lines 10, 25 and 26 were joined and stay
// whole. Windows-1252 text: the accented letters and the degree sign are single bytes.
// clang-format off
constexpr line_table table = {
    "    Ho scelto di dedicare questo ulteriore scenario Roma-Pisa all'EXPR 368, un treno 'notturno' a",
    "lunga percorrenza che collega Roma con Nizza e che, per la sua composizione, \xE8 uno dei pi\xF9 pesanti",
    "tra quelli che percorrono la linea tirrenica nelle ore della notte; la sua locomotiva titolare \xE8",
    "una E 444R. Nella realt\xE0, il treno circola con un numero di vetture variabile, da un minimo di",
    "quattordici a un massimo di sedici, tra carrozze ordinarie, carrozze cuccette e carrozze letto, a",
    "seconda del periodo dell'anno e della richiesta dei posti. L'impostazione della massa bloccata a",
    "800 t permette alla simulazione di farlo circolare con una composizione di sedici carrozze, attri-",
    "buendo a ciascuna di esse una massa di 50 t. Questo valore non \xE8 stato scelto a caso: le masse a",
    "vuoto (tare) sono di circa 40-45 t per le carrozze ordinarie e per le cuccette, con alcune cuccet-",
    "te che arrivano a circa 48 t, e di circa 50-55 t per le carrozze letto. Considerando una composizione tipica di due carrozze letto, cinque carrozze cuccette e nove carrozze ordinarie, sommando la",
    "massa dei viaggiatori e dei loro bagagli, si ottiene una massa complessiva di circa 800-820 t. Da",
    "qui le 800 t di massa rimorchiata, alle quali vanno aggiunte le 80 t della E 444R, per un totale",
    "di 880 t di treno.",
    "    Tra Roma e Genova l'EXPR 368 viaggia quasi a ridosso del treno 752 diretto a Torino.",
    "    Nella simulazione il treno 752 parte da Roma Termini con circa 4-5 minuti di ritardo, per cui ",
    "l'EXPR 368 non potr\xE0 partire in orario e lo seguir\xE0 per tutto il percorso. Questo non vuol dire",
    "marcia lenta e continui segnali a via impedita: soltanto nel primo tratto si incontrer\xE0 qualche",
    "segnale che si dispone a via libera con un po' di ritardo, anche perch\xE9 a Roma Ostiense fermano",
    "sia il treno 752 sia l'EXPR 368. Entrambi i treni fermano poi a Civitavecchia: il treno 752 sul 2\xB0",
    "binario, quello di corsa, e l'EXPR 368 sul 1\xB0 binario, di precedenza, dove si fermer\xE0 un po' prima",
    "del consueto punto di arresto. Ho infatti supposto che il treno che segue venga ricevuto in sta-",
    "zione, invece di essere trattenuto al segnale di protezione. Il treno 752 ferma poi a Orbetello, ",
    "stazione che l'EXPR 368 attraversa con una marcia leggermente ostacolata; pi\xF9 avanti l'EXPR 368",
    "ferma a Grosseto soltanto dopo che il treno 752 \xE8 ripartito, e a Livorno C.le viene ricevuto su un",
    "binario di precedenza, per cui anche in questa stazione l'ingresso avviene a velocit\xE0 moderata e il punto di arresto non \xE8 quello consueto; conviene quindi prepararsi per tempo alla frenatura, os-",
    "servando con attenzione gli avvisi e i segnali che s'incontrano lungo il binario di ingresso nella stazione.",
    "    L'aderenza, cos\xEC come \xE8 stata impostata, \xE8 abbastanza buona su quasi tutto il percorso, ma non",
    "\xE8 del 100 %: in qualche tratto occorrer\xE0 perci\xF2 un po' di cura in avviamento e in frenatura.",
    "    Buon viaggio a tutti e buon divertimento!",
    "    Per segnalazioni e suggerimenti: scenario.roma-pisa@example.org",
    "    Aggiornamenti dello scenario: https://www.example.org/scenari/roma-pisa/",
    end_marker,
};
// clang-format on
static_assert(table_length(table) == 31);

}  // namespace

const line_table& dati_note() {
  return table;
}

}  // namespace scenario
